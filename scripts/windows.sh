#!/usr/bin/env bash
# Builds Tovren.exe for 64-bit Windows (cross-compiled with mingw-w64, linked statically) and
# runs its tests through Wine: the link file store, the commands, and Tovren.exe end to end.
# The executable is build/windows/app/win32/Tovren.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix googletest xclip procps
cmake --preset windows >/dev/null
cmake --build --preset windows

source scripts/wine.sh
trap stop_wine EXIT
start_wine
ctest --preset windows
echo "Built: build/windows/app/win32/Tovren.exe"
