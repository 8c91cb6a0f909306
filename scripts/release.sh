#!/usr/bin/env bash
# Makes the release packages in dist/, named with the project's version:
#   Tovren-1.00-Linux-x86_64.tar.gz  Tovren with its own Qt in .tovren/, tovren-world, README,
#                                    what it needs, its menu entry and icons
#   Tovren-1.00-win64.zip            Tovren.exe, tovren-world.exe and README
#   SHA256SUMS                       the checksums of both
# Fails, and makes no package, when either build cannot be made.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh g++-mingw-w64-x86-64-posix patchelf
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres; do
    command -v "$tool" >/dev/null ||
        { echo "release.sh: $tool is missing, so Tovren.exe cannot be built; no packages made" >&2; exit 1; }
done

cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset windows >/dev/null
cmake --build --preset windows --target packaged # every program the zip holds, not the tests

rm -rf dist
for build in release windows; do
    cpack --config "build/$build/CPackConfig.cmake" -B dist >/dev/null
done
rm -rf dist/_CPack_Packages
(cd dist && sha256sum Tovren-*.tar.gz Tovren-*.zip >SHA256SUMS)
echo "Made in dist/:"
ls -l dist
