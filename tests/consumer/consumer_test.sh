#!/usr/bin/env bash
# The link file store as a game programmer uses it: installed into a prefix of its own from a
# build of this project, then linked by a consumer project through CMake and through
# pkg-config; once as the static library and once, from a build of its own, as the shared one.
# Usage: consumer_test.sh SOURCE_DIRECTORY BUILD_DIRECTORY
set -euo pipefail
source_dir=$1
build_dir=$2
consumer_dir=$(dirname "$0")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

check_prefix() {
    local prefix=$1 kind=$2
    echo "-- $kind: a CMake project finds Tovren::world and Tovren::linkstore with find_package"
    cmake -S "$consumer_dir" -B "$scratch/$kind-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        >/dev/null
    cmake --build "$scratch/$kind-cmake" >/dev/null
    mkdir "$scratch/$kind-maps"
    "$scratch/$kind-cmake/consumer" "$scratch/$kind-maps"
    [[ "$(od -An -tx1 "$scratch/$kind-maps/map1.link" | tr -d ' \n')" == \
        "6d6170300d0a0d0a4bc3b66c6e0d0a6d6170340d0a" ]] || fail "$kind: the bytes of map1.link"

    echo "-- $kind: another build system links it through pkg-config"
    local flags
    flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs tovren-world)
    # shellcheck disable=SC2086 # the flags are words
    g++ "$consumer_dir/consumer.cpp" -o "$scratch/$kind-pkgconfig" $flags
    mkdir "$scratch/$kind-maps2"
    LD_LIBRARY_PATH="$prefix/lib" "$scratch/$kind-pkgconfig" "$scratch/$kind-maps2"
}

cmake --install "$build_dir" --component Development --prefix "$scratch/static" >/dev/null
[[ ! -e "$scratch/static/include/tovren/linkstore/posix" ]] || fail "private headers installed"
check_prefix "$scratch/static" static

echo "-- shared: an SONAME with the major version, and only the public interface exported"
cmake -S "$source_dir" -B "$scratch/shared-build" -G Ninja -DBUILD_SHARED_LIBS=ON \
    -DBUILD_TESTING=OFF -DTOVREN_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/shared-build" --target tovren_linkstore tovren_world >/dev/null
cmake --install "$scratch/shared-build" --component Development --prefix "$scratch/shared" \
    >/dev/null
library="$scratch/shared/lib/libtovren-linkstore.so"
readelf -d "$library" | grep -q 'SONAME.*\[libtovren-linkstore\.so\.1\]' || fail "no SONAME .so.1"
exported=$(nm -D --defined-only -C "$library" | awk '$2 == "T"' | sed 's/^[^ ]* T //; s/(.*//; s/\[abi:.*//' |
    grep '^tovren::' | LC_ALL=C sort -u)
expected=$'tovren::FileFailure::FileFailure\ntovren::createLinkFile\ntovren::fromHostCodePage\ntovren::kindInWords\ntovren::kindName\ntovren::linkFilePath\ntovren::loadLinkFile\ntovren::programDirectory\ntovren::saveLinkFile\ntovren::toHostCodePage'
[[ "$exported" == "$expected" ]] || fail "the shared library exports: $exported"
exported=$(nm -D --defined-only -C "$scratch/shared/lib/libtovren-world.so" | awk '$2 == "T"' |
    sed 's/^[^ ]* T //; s/(.*//; s/\[abi:.*//' | grep '^tovren::' | LC_ALL=C sort -u)
[[ "$exported" == $'tovren::applyMirror\ntovren::findingKindName\ntovren::planMirror\ntovren::readWorld' ]] ||
    fail "the world library exports: $exported"
check_prefix "$scratch/shared" shared

echo "5 passed, 0 failed"
