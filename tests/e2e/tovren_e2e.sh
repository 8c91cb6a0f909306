#!/usr/bin/env bash
# End-to-end: copies the built Tovren into a fresh directory, starts it under a real X server
# from another working directory, and drives it with the keyboard and mouse as a person would.
# Usage: tovren_e2e.sh PATH_TO_TOVREN OUTPUT_DIRECTORY (screenshots are saved there)
set -euo pipefail

tovren_built=$1
output=$2
mkdir -p "$output"

scratch=$(mktemp -d)
xvfb_pid=""
tovren_pid=""
cleanup() {
    [[ -n "$tovren_pid" ]] && kill "$tovren_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# A private X server on a free display; Xvfb writes the display number it took.
exec 3> "$scratch/display"
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s "$scratch/display" ]] && break
    sleep 0.1
done
[[ -s "$scratch/display" ]] || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
export DISPLAY=":$(head -n 1 "$scratch/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

program_dir="$scratch/program"
working_dir="$scratch/elsewhere"
mkdir "$program_dir" "$working_dir"
cp "$tovren_built" "$program_dir/Tovren"
link_file="$program_dir/map1.link"

title='Link Map to other Maps!'
window=""

# Starts Tovren with arguments Qt itself would act on: they must change nothing.
start_tovren() {
    (cd "$working_dir" && exec "$program_dir/Tovren" -reverse -style windows -title Other) &
    tovren_pid=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
        [[ -n "$window" ]] && [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] && return
        sleep 0.1
    done
    fail "the window did not appear with the keyboard focus"
}

expect_ended() {
    for _ in $(seq 100); do
        if ! kill -0 "$tovren_pid" 2>/dev/null; then
            wait "$tovren_pid" || fail "Tovren exited with status $?"
            tovren_pid=""
            return
        fi
        sleep 0.1
    done
    fail "Tovren did not end after Done"
}

expect_running() {
    kill -0 "$tovren_pid" 2>/dev/null || fail "Tovren has ended: $1"
}

expect_bytes() {
    local expected_hex actual_hex
    expected_hex=$(printf "$1" | od -An -tx1 | tr -d ' \n')
    actual_hex=$(od -An -tx1 "$link_file" | tr -d ' \n')
    [[ "$actual_hex" == "$expected_hex" ]] || fail "$link_file holds $actual_hex, not $expected_hex"
}

typing() { xdotool type --delay 20 "$1"; }
keys() { xdotool key --delay 40 "$@"; }
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
done_button=(224 224)
load_button=(72 224)

echo "-- typing a record and clicking Done saves it beside the program and ends Tovren"
start_tovren
[[ "$(xdotool getwindowname "$window")" == "$title" ]] || fail "the title is not exactly '$title'"
keys Tab; typing map0
keys Tab; typing map2
keys Tab; typing 'Köln'
keys Tab; typing map4
keys Tab; typing map1
sleep 0.3
import -window "$window" "$output/form1.png"
click_at "${done_button[@]}"
expect_ended
expect_bytes 'map0\r\nmap2\r\nK\xc3\xb6ln\r\nmap4\r\n'
[[ -z "$(ls -A "$working_dir")" ]] || fail "a file was written into the working directory"

echo "-- Load with Enter fills the fields; an edited record is saved with Space on Done"
start_tovren
keys shift+Tab shift+Tab; typing map1
keys Tab Return          # Load
keys shift+Tab shift+Tab ctrl+a; typing map9
keys Tab Tab Tab space   # Right -> mapname -> Load -> Done
expect_ended
expect_bytes 'map0\r\nmap2\r\nK\xc3\xb6ln\r\nmap9\r\n'

echo "-- a failed Load is reported in a Tovren! box; the program goes on and Done still works"
link_file="$program_dir/map7.link"
start_tovren
keys shift+Tab shift+Tab; typing map7
click_at "${load_button[@]}"
box=""
for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Tovren!$' 2>/dev/null | head -n 1 || true)
    [[ -n "$box" ]] && break
    sleep 0.1
done
[[ -n "$box" ]] || fail "no Tovren! box reported the missing file"
sleep 0.3
import -window root -crop 700x300+0+0 "$output/failure.png"
keys Return
sleep 0.5
expect_running "the failure report ended the program"
[[ -z "$(xdotool search --onlyvisible --name '^Tovren!$' 2>/dev/null || true)" ]] ||
    fail "the box is still there"
keys Tab space           # the focus is back on Load: Tab moves it to Done
expect_ended
expect_bytes '\r\n\r\n\r\n\r\n'

echo "3 passed, 0 failed"
