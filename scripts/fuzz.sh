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

for target in linkreader codepage world saverequest journal; do
    scratch=$(mktemp -d)
    echo "== ${target}_fuzz for ${seconds} s"
    status=0
    "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$scratch" "fuzz/corpus/$target" >"$scratch.log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$scratch.log" || true
    [[ $status -eq 0 ]] || tail -n 40 "$scratch.log"
    rm -rf "$scratch" "$scratch.log"
    [[ $status -eq 0 ]] || { echo "${target}_fuzz found a failure" >&2; exit 1; }
done
