#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while from the seed corpus.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
# New inputs go to a scratch corpus, so the seeds in fuzz/corpus/ stay as committed; a crash
# leaves its input as crash-* in the working directory and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# One target per core at a time: each still runs its full time, on a core of its own.
fuzz_one() {
    local target=$1 scratch status=0
    scratch=$(mktemp -d)
    "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$scratch" "fuzz/corpus/$target" >"$scratch.log" 2>&1 || status=$?
    {
        echo "== ${target}_fuzz for ${seconds} s"
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$scratch.log" || true
        [[ $status -eq 0 ]] || { tail -n 40 "$scratch.log"; echo "${target}_fuzz found a failure"; }
    } >"$scratch.told"
    cat "$scratch.told"
    rm -rf "$scratch" "$scratch.log" "$scratch.told"
    return "$status"
}

failed=0
running=()
for target in linkreader codepage world saverequest journal; do
    if [[ ${#running[@]} -ge $(nproc) ]]; then
        wait "${running[0]}" || failed=1
        running=("${running[@]:1}")
    fi
    fuzz_one "$target" &
    running+=($!)
done
for job in "${running[@]}"; do
    wait "$job" || failed=1
done
[[ $failed -eq 0 ]] || { echo "a fuzz target found a failure" >&2; exit 1; }
