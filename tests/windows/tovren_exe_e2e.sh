#!/usr/bin/env bash
# End-to-end on Windows' side: Tovren.exe under Wine in a real X server, driven with xdotool as
# a person would; the link files must hold CR LF lines in the Windows-1252 code page.
# Usage: tovren_exe_e2e.sh PATH_TO_TOVREN_EXE OUTPUT_DIRECTORY PATH_TO_WINDOW_PROBE_EXE
tovren_built=$1
output=$2
probe=$3
program_name=Tovren.exe
source "$(dirname "$0")/../e2e/lib.sh"
mkdir -p "$output"
export WINEDEBUG=-all
run_as=(wine)
focus_by_hand=1

echo "-- a typed record with accents is saved in Windows-1252 and Tovren.exe ends"
start_tovren
[[ "$(xdotool getwindowname "$window")" == "$title" ]] || fail "the title is not exactly '$title'"
# Seen from another process: a fixed size, and every field named, as screen readers see them.
wine "$probe" 312 247 || fail "the window as Windows' tools see it"
# Label1's lower part lies under the upper edge of Up, which stays drawn after the labels.
sleep 0.3
pixel() { import -window "$window" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | awk '{print $3}'; }
[[ "$(pixel 60 48)" != "$(pixel 60 40)" ]] || fail "Label1 is drawn over the edge of Up"
type_record 'Köln' map2 'Orléans' map4 map1
sleep 0.3
import -window "$window" "$output/form1-windows.png"
keys Tab Tab space       # mapname -> Load -> Done
expect_ended
expect_bytes 'K\xf6ln\r\nmap2\r\nOrl\xe9ans\r\nmap4\r\n'
[[ -z "$(ls -A "$working_dir")" ]] || fail "a file was written into the working directory"

echo "-- Enter on Load fills the fields; a pasted name loses its line break; Enter on Done"
start_tovren
keys shift+Tab shift+Tab; typing map1
keys Tab Return          # Load
printf 'ma\r\np9' | xclip -selection clipboard >/dev/null 2>&1
keys shift+Tab shift+Tab ctrl+a ctrl+v
keys Tab Tab Tab Return  # Right -> mapname -> Load -> Done
expect_ended
expect_bytes 'K\xf6ln\r\nmap2\r\nOrl\xe9ans\r\nmap9\r\n'

echo "-- a failed Load is told in a Tovren! box; Tovren.exe goes on and Done still works"
link_file="$program_dir/map7.link"
start_tovren
keys shift+Tab shift+Tab; typing map7
keys Tab space           # Load
dismiss_tovren_box "$output/failure-windows.png"
expect_running "the failure report ended the program"
xdotool windowfocus --sync "$window"
keys Tab space           # the focus is back on Load: Tab moves it to Done
expect_ended
expect_bytes '\r\n\r\n\r\n\r\n'

echo "-- Load then Done writes back the lines as read, a lone LF inside one included"
link_file="$program_dir/map6.link"
printf 'u\r\nd\nx\r\r\nr' >"$link_file"
start_tovren
keys shift+Tab shift+Tab; typing map6
keys Tab Return Tab Return # Load, then Done
expect_ended
expect_bytes 'u\r\nd\nx\r\n\r\nr\r\n'

echo "-- at 144 dots per inch the window is laid out half as large again, from its twips"
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1; }
set_dpi 144
cleanup_steps+=("set_dpi 96")
start_tovren
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[[ "$geometry" == "468x371" ]] || fail "at 144 dpi the client area is $geometry, not 468x371"
wine "$probe" 468 371 || fail "the window at 144 dpi as Windows' tools see it"
import -window "$window" "$output/form1-windows-144dpi.png"
keys Tab Tab Tab Tab Tab; typing map8
keys Tab Tab space
expect_ended
set_dpi 96

echo "-- the focus comes back to the field it was in when Tovren.exe is activated again"
# A window manager's activation, as a person's switch between programs is; without one,
# Wine waits for the manager's word and activates nothing.
start_window_manager
focus_by_hand=""
link_file="$program_dir/map5.link"
start_tovren
keys Tab; typing up      # Done -> Up
xmessage -title 'another program' 'another program' &
cleanup_steps+=("kill $!")
other=$(xdotool search --sync --onlyvisible --name '^another program$' | head -n 1)
xdotool windowactivate --sync "$other"
sleep 0.5
xdotool windowactivate --sync "$window"
sleep 0.5
typing 5
keys Tab Tab Tab Tab; typing map5
keys Tab Tab space       # mapname -> Load -> Done
expect_ended
expect_bytes 'up5\r\n\r\n\r\n\r\n'

echo "6 passed, 0 failed"
