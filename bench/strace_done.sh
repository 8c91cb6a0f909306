#!/usr/bin/env bash
# The system calls of one Done on the link file, traced with strace while Tovren runs in a
# private X server: the whole record is expected in one write, then fsync and close.
# Usage: strace_done.sh PATH_TO_TOVREN
set -euo pipefail

tovren=$1
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

source "$(dirname "$0")/../scripts/xvfb.sh"
start_private_xvfb "$scratch"
export XDG_RUNTIME_DIR="$scratch"

cp "$tovren" "$scratch/Tovren"
# Seen from its path (-y), every call on the link file; -f follows Qt's threads too. A session
# bus of its own: without one, Qt has D-Bus start a bus daemon that strace would follow and
# wait for long after Tovren has ended.
dbus-run-session -- strace -f -y -o "$scratch/trace" "$scratch/Tovren" &
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Link Map to other Maps!$' 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
done
xdotool key --delay 40 Tab; xdotool type --delay 20 map0
xdotool key --delay 40 Tab Tab Tab Tab; xdotool type --delay 20 map1
xdotool key --delay 40 Tab Tab space
wait %2 2>/dev/null || true
sleep 0.5

echo "System calls on map1.link during one Done:"
grep -E 'map1\.link' "$scratch/trace" | sed -E 's/^[0-9]+ +//'
echo
echo "Bytes written: $(od -An -c "$scratch/map1.link" | tr -s ' ')"
