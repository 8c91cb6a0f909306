#!/usr/bin/env bash
# Makes an installed Tovren portable: its Qt, with the given plugins, and every library they
# need that a desktop system does not reliably provide, copied into .tovren/ beside it and found
# through RUNPATHs relative to each file ($ORIGIN), so that the folder can go to any x86-64
# desktop with the C library and the X server's client libraries. Run by the release build's
# install step. Usage: bundle-qt.sh PREFIX PLUGIN.so...
set -euo pipefail
prefix=$1
shift
lib="$prefix/.tovren/lib"
plugins="$prefix/.tovren/plugins"
mkdir -p "$lib" "$plugins"

# What the host must provide, as AppImage's tooling lists it: the C library and its loader, the
# C++ runtime, OpenGL and the graphics drivers' libraries, the X client and font libraries, and
# a few base libraries that every system has, whose private copies are known to clash with the
# host's. Everything else that Tovren needs is carried.
from_host='^(ld-linux-x86-64|libanl|libBrokenLocale|libcidn|libc|libdl|libm|libmvec|libnss_[a-z]+|libpthread|libresolv|librt|libthread_db|libutil|libstdc\+\+|libGL|libEGL|libGLdispatch|libGLX|libOpenGL|libdrm|libglapi|libgbm|libxcb|libX11|libX11-xcb|libwayland-client|libasound|libfontconfig|libfreetype|libharfbuzz|libcom_err|libexpat|libgcc_s|libgpg-error|libICE|libSM|libusb-1\.0|libuuid|libz|libjack|libpipewire-0\.3|libxcb-dri3|libxcb-dri2|libfribidi|libgmp)\.so(\.[0-9]+)*$'

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }

# Where the loader finds each library the objects need, by name.
declare -A found
objects=("$prefix/Tovren")
for plugin in "$@"; do
    type=$(basename "$(dirname "$plugin")")
    mkdir -p "$plugins/$type"
    cp -L "$plugin" "$plugins/$type/"
    objects+=("$plugins/$type/$(basename "$plugin")")
done
while read -r name _ path _; do
    [[ "$path" == /* ]] && found[$name]=$path
done < <(for object in "$prefix/Tovren" "$@"; do ldd "$object"; done)

# Every library needed, directly or not, except through one that the host provides.
waiting=("${objects[@]}")
while [[ ${#waiting[@]} -gt 0 ]]; do
    object=${waiting[0]}
    waiting=("${waiting[@]:1}")
    for name in $(needed "$object"); do
        [[ "$name" =~ $from_host || -e "$lib/$name" ]] && continue
        [[ -n "${found[$name]:-}" ]] || { echo "bundle-qt.sh: $name is not found" >&2; exit 1; }
        cp -L "${found[$name]}" "$lib/$name"
        chmod 644 "$lib/$name"
        waiting+=("$lib/$name")
    done
done

patchelf --set-rpath '$ORIGIN/.tovren/lib' "$prefix/Tovren"
for library in "$lib"/*; do
    patchelf --set-rpath '$ORIGIN' "$library"
    strip --strip-unneeded "$library"
done
for plugin in "$plugins"/*/*; do
    patchelf --set-rpath '$ORIGIN/../../lib' "$plugin"
    strip --strip-unneeded "$plugin"
done
