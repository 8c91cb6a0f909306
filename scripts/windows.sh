#!/usr/bin/env bash
# Builds Tovren.exe for 64-bit Windows (cross-compiled with mingw-w64, linked statically) and
# runs its tests through Wine: the link file store, the commands, and Tovren.exe end to end.
# The executable is build/windows/app/win32/Tovren.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 wine googletest xclip
cmake --preset windows >/dev/null
cmake --build --preset windows

# One Wine server for all the tests, and Wine's own services started once, none of them with
# a stream of ours: a test would otherwise leave them holding CTest's pipes, and CTest would
# wait for them for ever.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no offer to fetch Mono or Gecko into a new prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot --init </dev/null >/dev/null 2>&1 # creates the Wine prefix on a new machine
wineserver -w                                    # until that server has gone
wineserver -p </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1         # Wine's services, under the lasting server
ctest --preset windows
echo "Built: build/windows/app/win32/Tovren.exe"
