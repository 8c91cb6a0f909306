#!/usr/bin/env bash
# End-to-end: copies the built Tovren into a fresh directory, starts it under a real X server
# from another working directory, and drives it with the keyboard and mouse as a person would.
# Usage: tovren_e2e.sh PATH_TO_TOVREN OUTPUT_DIRECTORY (screenshots are saved there)
tovren_built=$1
output=$2
source "$(dirname "$0")/lib.sh"
mkdir -p "$output"

echo "-- typing a record and clicking Done saves it beside the program and ends Tovren"
# Arguments that Qt itself would act on must change nothing.
start_tovren -reverse -style windows -title Other
[[ "$(xdotool getwindowname "$window")" == "$title" ]] || fail "the title is not exactly '$title'"
type_record map0 map2 'Köln' map4 map1
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
dismiss_tovren_box "$output/failure.png"
expect_running "the failure report ended the program"
keys Tab space           # the focus is back on Load: Tab moves it to Done
expect_ended
expect_bytes '\r\n\r\n\r\n\r\n'

echo "3 passed, 0 failed"
