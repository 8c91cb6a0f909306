# Shared by the end-to-end tests: a private X server, Tovren copied into a fresh program
# directory, and the steps a person takes. Source it with the path of the built Tovren set in
# $tovren_built, or of a release package to unpack there in $archive (and $program_name, if
# not "Tovren"); it defines $scratch, $program_dir, $working_dir and $link_file.
set -euo pipefail
# Typed text is UTF-8 whatever locale the tests were started in (often none at all).
export LC_ALL=C.UTF-8

scratch=$(mktemp -d)
chmod 755 "$scratch" # an unprivileged user must reach the program inside
xvfb_pid=""
tovren_pid=""
cleanup_steps=()
cleanup() {
    [[ -n "$tovren_pid" ]] && kill "$tovren_pid" 2>/dev/null || true
    for step in "${cleanup_steps[@]}"; do eval "$step" || true; done
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"
start_private_xvfb "$scratch" || fail "no X server"
export QT_QPA_PLATFORM=xcb
# The accented letters the tests type get keys of their own (keycodes the server leaves free),
# as a person's keyboard has them; xdotool would otherwise remap a key for each letter on the
# fly, which a busy program can miss.
xmodmap -e "keycode 93 = odiaeresis Odiaeresis" -e "keycode 97 = eacute Eacute"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

program_dir="$scratch/program"
working_dir="$scratch/elsewhere"
mkdir -m 755 "$program_dir" "$working_dir"
program_name=${program_name:-Tovren}
if [[ -n "${archive:-}" ]]; then # a release package, unpacked as its user would
    case "$archive" in
    *.zip) unzip -q "$archive" -d "$program_dir" ;;
    *) tar -xzf "$archive" -C "$program_dir" ;;
    esac
else
    cp "$tovren_built" "$program_dir/$program_name"
    chmod 755 "$program_dir/$program_name"
fi
link_file="$program_dir/map1.link"

title='Link Map to other Maps!'
window=""
done_button=(224 224)
load_button=(72 224)

# Set when the program cannot take the focus by itself under a bare X server, as Wine's
# windows cannot without a window manager: the test then gives it, as a person's click would.
focus_by_hand=""

wait_for_window_with_focus() {
    window=""
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
        if [[ -n "$window" && -n "$focus_by_hand" ]]; then
            xdotool windowfocus --sync "$window"
        fi
        [[ -n "$window" ]] && [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] && return
        sleep 0.1
    done
    fail "the window did not appear with the keyboard focus"
}

# Starts Tovren from another working directory with the given arguments; $run_as may hold a
# command to run it with (as another user, or through Wine).
run_as=()
start_tovren() {
    (cd "$working_dir" && exec "${run_as[@]}" "$program_dir/$program_name" "$@") &
    tovren_pid=$!
    wait_for_window_with_focus
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

# Waits for the "Tovren!" box, saves a picture of the screen, and dismisses it with Enter, as a
# person would; the box has the keyboard focus by itself.
dismiss_tovren_box() {
    local picture=$1 box=""
    for _ in $(seq 100); do
        box=$(xdotool search --onlyvisible --name '^Tovren!$' 2>/dev/null | head -n 1 || true)
        [[ -n "$box" ]] && break
        sleep 0.1
    done
    [[ -n "$box" ]] || fail "no Tovren! box appeared"
    [[ -n "$focus_by_hand" ]] && xdotool windowfocus --sync "$box"
    sleep 0.3
    [[ -n "$picture" ]] && import -window root -crop 700x300+0+0 "$picture"
    keys Return
    for _ in $(seq 100); do
        [[ -z "$(xdotool search --onlyvisible --name '^Tovren!$' 2>/dev/null || true)" ]] && return
        sleep 0.1
    done
    fail "the box is still there"
}

# Starts openbox and waits until it manages the screen, so that it also gives the focus to the
# next window shown.
start_window_manager() {
    openbox >/dev/null 2>&1 &
    cleanup_steps+=("kill $!")
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return
        sleep 0.1
    done
    fail "the window manager did not start"
}

typing() { xdotool type --delay 20 "$1"; }
keys() { xdotool key --delay 40 "$@"; }
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# Types the four neighbours and the map name, starting from the first focus on Done; the focus
# ends in the map name field.
type_record() {
    keys Tab; typing "$1"
    keys Tab; typing "$2"
    keys Tab; typing "$3"
    keys Tab; typing "$4"
    keys Tab; typing "$5"
}
