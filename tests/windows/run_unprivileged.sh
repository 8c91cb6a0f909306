#!/usr/bin/env bash
# Runs a Windows test program through Wine as a user other than root, with a Wine prefix of
# its own: root may write to read-only files, under Wine as under Windows' administrators.
# Usage: run_unprivileged.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
program=$(realpath "$1")
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no offer to fetch Mono or Gecko into a new prefix
if [[ $(id -u) -ne 0 ]]; then
    exec wine "$program" "$@"
fi

home=$(mktemp -d)
trap 'setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" WINEPREFIX="$home/wine" wineserver -k 2>/dev/null || true; rm -rf "$home"' EXIT
chown 65534:65534 "$home"
copy="$home/$(basename "$program")" # where nobody can surely read it
cp "$program" "$copy"
chmod 755 "$copy"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$home" WINEPREFIX="$home/wine" wine "$copy" "$@" </dev/null
