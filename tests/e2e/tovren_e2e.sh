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

echo "-- a screen reader finds a window named by its title, every field named, the map name described"
eval "$(dbus-launch --sh-syntax)" # the session bus, which starts the accessibility bus
cleanup_steps+=("kill $DBUS_SESSION_BUS_PID")
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_tovren
/usr/bin/python3 "$(dirname "$0")/screenreader_view.py" "$tovren_pid"
kill "$tovren_pid"; wait "$tovren_pid" || true; tovren_pid=""

echo "-- under a window manager, at 96 and 144 dpi: a fixed size, no maximising, the class Tovren"
start_window_manager
for dpi_size in 96:312x247 144:468x371; do
    echo "Xft.dpi: ${dpi_size%%:*}" | xrdb -merge # read by Qt at start-up
    start_tovren
    size=${dpi_size#*:}
    hints=$(xprop -id "$window" WM_NORMAL_HINTS WM_CLASS _NET_WM_ALLOWED_ACTIONS)
    grep -q "minimum size: ${size/x/ by }" <<<"$hints" || fail "no minimum size $size: $hints"
    grep -q "maximum size: ${size/x/ by }" <<<"$hints" || fail "no maximum size $size: $hints"
    grep -q 'WM_CLASS(STRING) = "Tovren", "Tovren"' <<<"$hints" || fail "the class: $hints"
    grep -q '_NET_WM_ACTION_MINIMIZE' <<<"$hints" || fail "cannot be minimised: $hints"
    ! grep -q -E '_NET_WM_ACTION_(RESIZE|MAXIMIZE)' <<<"$hints" ||
        fail "the window manager offers resizing or maximising: $hints"
    xdotool windowsize "$window" 900 700
    sleep 0.3
    geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
    [[ "$geometry" == "$size" ]] || fail "at ${dpi_size%%:*} dpi the window became $geometry"
    import -window "$window" "$output/form1-${dpi_size%%:*}dpi.png"
    keys space
    expect_ended
done

echo "5 passed, 0 failed"
