#!/usr/bin/env bash
# Builds Tovren and runs every benchmark; prints the figures that bench/README.md reports.
# Usage: scripts/bench.sh [RUNS [REPEATS]]
#   RUNS: start-up runs per program, default 21; REPEATS: runs of each timing of the world tool
#   and its page, whose median is told (default: each benchmark's own, 5 to 9)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
repeats=(${2:+"$2"})
scripts/install-deps.sh strace time patchelf dbus-daemon eatmydata procps
scripts/build.sh default >/dev/null
build=build/default

scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
source scripts/xvfb.sh
start_private_xvfb "$scratch"
export XDG_RUNTIME_DIR="$scratch"

echo "== Machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB, $(uname -sr)"

echo
echo "== Start-up: exec to the window painted, under Xvfb ($runs runs each, interleaved)"
"$build/bench/startup_bench" "$runs" "$build/app/Tovren" "$build/bench/bare_window" \
    "$build/bench/bare_window --with-caption"

echo
echo "== Start-up in instructions (callgrind, each program stopped after 12 s, idle by then)"
for command in "$build/app/Tovren" "$build/bench/bare_window" \
    "$build/bench/bare_window --with-caption"; do
    # shellcheck disable=SC2086 # the command's words are meant to be split
    timeout -s INT 12 valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" \
        $command >/dev/null 2>&1 || true
    printf '%-45s %s\n' "$command" \
        "$(callgrind_annotate "$scratch/callgrind.out" 2>/dev/null | awk '/PROGRAM TOTALS/ {print $1}')"
done

echo
echo "== One Done, traced"
bench/strace_done.sh "$build/app/Tovren"

echo
echo "== Load into the window: long lines, click to repaint (xcb under Xvfb)"
"$build/bench/longtext_bench" 1024 65536 1048576

echo
echo "== Save and load (Google Benchmark)"
"$build/bench/linkfile_bench" --benchmark_min_time=0.2

echo
echo "== The layout of worlds like real ones (rectangles of different sizes), by direction"
"$build/bench/layout_bench" 50 1000 10000 100000

echo
echo "== The world check at size: tovren-world check --json against reading every link file"
bench/world_bench.py "$build/worldtool/tovren-world" "$build/bench/read_folder" "${repeats[@]}"

echo
echo "== A map's rename at size: tovren-world rename --write, with and without its syncs"
bench/rename_bench.py "$build/worldtool/tovren-world" "$build/bench/read_folder" "${repeats[@]}"

echo
echo "== The editor's server at size: tovren-world edit over HTTP"
bench/edit_bench.py "$build/worldtool/tovren-world" "${repeats[@]}"

echo
echo "== The editor's page in Chromium at size"
/usr/bin/python3 bench/page_bench.py "$build/worldtool/tovren-world" "${repeats[@]}"

echo
echo "== The Linux release package, carrying its Qt, against the same build on the system's Qt"
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
cmake --install build/release --prefix "$scratch/portable" --component Tovren --strip >/dev/null
echo "unpacked $(du -sh "$scratch/portable" | cut -f1), compressed" \
     "$(tar -czf - -C "$scratch/portable" . | wc -c | numfmt --to=iec)"
"$build/bench/startup_bench" "$runs" build/release/app/Tovren "$scratch/portable/Tovren"
