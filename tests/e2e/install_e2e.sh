#!/usr/bin/env bash
# scripts/install.sh as a map builder uses it, in a throwaway home: Tovren copied into a folder
# of maps, its menu entry valid and started as a desktop starts it, Done saving beside it;
# its action "Show the world" drawing the folder's world and opening the picture, and "Edit the
# world" serving it to the browser; a second folder with an entry of its own; --remove taking
# exactly one entry away; and folders that cannot take Tovren refused with nothing installed.
# Usage: install_e2e.sh PATH_TO_TOVREN PATH_TO_TOVREN_WORLD OUTPUT_DIRECTORY
tovren_built=$1
world_built=$2
output=$3
source "$(dirname "$0")/lib.sh"
install_sh="$(dirname "$0")/../../scripts/install.sh"
export HOME="$scratch/home" TOVREN_PROGRAM="$tovren_built" TOVREN_WORLD_PROGRAM="$world_built"
# The build that install.sh makes from the source tree is the one under test: then the first
# install takes the user's path, building (nothing left to do) and installing that build.
source "$(dirname "$0")/../../scripts/preset.sh" ""
[[ "$tovren_built" -ef "$(dirname "$0")/../../build/$preset/app/Tovren" ]] && from_source=1 || from_source=""
mkdir -p "$HOME" "$output"
unset XDG_DATA_HOME
applications="$HOME/.local/share/applications"
icons="$HOME/.local/share/icons/hicolor"
menu_files() { find "$HOME/.local/share" -type f 2>/dev/null | sort; }

echo "-- a missing folder, a file or an unwritable folder is refused, and nothing is installed"
touch "$scratch/a file"
mkdir -m 555 "$scratch/read-only"
for bad in "$scratch/missing" "$scratch/a file"; do
    ! message=$("$install_sh" "$bad" 2>&1) || fail "install.sh took $bad"
    [[ "$message" == install.sh:* ]] || fail "no clear message for $bad: $message"
done
# Root may write anywhere: as root, the script runs as nobody, from a copy that nobody can
# reach wherever the checkout lies.
as_owner=()
unprivileged_install_sh=$install_sh
if [[ $(id -u) -eq 0 ]]; then
    as_owner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    unprivileged_install_sh="$scratch/install.sh"
    install -m 755 "$install_sh" "$unprivileged_install_sh"
fi
! "${as_owner[@]}" env HOME="$HOME" "$unprivileged_install_sh" "$scratch/read-only" \
    2>"$scratch/message" || fail "took a read-only folder"
grep -q "not writable" "$scratch/message" || fail "no clear message: $(cat "$scratch/message")"
[[ -z "$(menu_files)" && -z "$(ls -A "$scratch/read-only")" ]] || fail "something was installed"

echo "-- installed over an earlier Tovren, the link files stay; the entry is valid"
maps="$scratch/my maps & \$more"
mkdir "$maps"
printf 'old\r\n' >"$maps/Tovren"
printf 'a\r\nb\r\nc\r\nd\r\n' >"$maps/map1.link"
if [[ -n "$from_source" ]]; then
    (unset TOVREN_PROGRAM && "$install_sh" "$maps" >/dev/null) || fail "install.sh from the source tree failed"
else
    echo "(installs the build under test: install.sh would build and install the $preset build)"
    "$install_sh" "$maps" >/dev/null
fi
cmp -s "$tovren_built" "$maps/Tovren" || fail "the program in the folder is not Tovren"
[[ "$(cat "$maps/map1.link")" == $'a\r\nb\r\nc\r\nd\r' ]] || fail "map1.link was touched"
entry=$(find "$applications" -name 'tovren-*.desktop')
[[ -n "$entry" ]] || fail "no menu entry"
desktop-file-validate "$entry" || fail "the entry is not valid"
grep -q -x -F "Name=Tovren (maps in $maps)" "$entry" || fail "the entry's name: $(grep Name= "$entry")"
for size in 16 32 48 64 128 256; do
    [[ -s "$icons/${size}x$size/apps/$(basename "$entry" .desktop).png" ]] || fail "no $size px icon"
done

echo "-- started from the entry as a desktop starts it, Tovren saves in that folder"
# gio leaves the program it starts to the system; this parent adopts it instead (as a child
# subreaper), waits for it and ends with its exit status, so that Tovren's end can be checked.
# Helpers that gio starts on the way (a session bus) may outlive it and are left alone.
(cd "$working_dir" && exec python3 -c '
import ctypes, os, subprocess, sys
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
subprocess.run(["gio", "launch", sys.argv[1]], check=True, stdin=subprocess.DEVNULL,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
while True:
    ended = os.waitid(os.P_ALL, 0, os.WEXITED | os.WNOWAIT)
    with open(f"/proc/{ended.si_pid}/comm") as comm:
        name = comm.read().strip()
    status = os.waitpid(ended.si_pid, 0)[1]
    if name == "Tovren":
        sys.exit(os.waitstatus_to_exitcode(status))
' "$entry") &
tovren_pid=$!
wait_for_window_with_focus
class=$(xprop -id "$window" WM_CLASS | sed 's/.*", "//; s/"$//')
grep -q -x "StartupWMClass=$class" "$entry" || fail "the window's class $class is not the entry's"
keys space               # Done, with the focus on it
expect_ended
link_file="$maps/.link"
expect_bytes '\r\n\r\n\r\n\r\n'

echo "-- the entry's action \"Show the world\" draws the folder's world and opens the picture"
cmp -s "$world_built" "$maps/tovren-world" || fail "the tovren-world in the folder is not the one built"
grep -q -x "Name=Show the world" "$entry" || fail "no action to show the world"
mkdir "$scratch/bin"
printf '#!/bin/sh\nprintf "%%s" "$1" >"%s/opened"\n' "$scratch" >"$scratch/bin/xdg-open"
chmod 755 "$scratch/bin/xdg-open"
PATH="$scratch/bin:$PATH" /usr/bin/python3 -c '
import sys
from gi.repository import Gio
Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch_action("show-world", None)
' "$entry"
for _ in $(seq 100); do [[ -s "$scratch/opened" ]] && break; sleep 0.1; done
[[ "$(cat "$scratch/opened" 2>/dev/null)" == "$maps/world.svg" ]] || fail "the picture was not opened"
grep -q "<title>(the file .link)</title>" "$maps/world.svg" || fail "the picture has not the map .link"

echo "-- the entry's action \"Edit the world\" serves the folder's world and opens it in the browser"
grep -q -x "Name=Edit the world" "$entry" || fail "no action to edit the world"
rm -f "$scratch/opened"
PATH="$scratch/bin:$PATH" /usr/bin/python3 -c '
import sys
from gi.repository import Gio
Gio.DesktopAppInfo.new_from_filename(sys.argv[1]).launch_action("edit-world", None)
' "$entry"
for _ in $(seq 100); do [[ -s "$scratch/opened" ]] && break; sleep 0.1; done
# The browser is given a page that passes it on to the address, which holds the token.
address=$(grep -o -m 1 'http://127\.0\.0\.1:[0-9]*/?token=[0-9a-f]*' "$(cat "$scratch/opened")")
folder_served=$(/usr/bin/python3 -c '
import json, sys, urllib.parse, urllib.request
url = urllib.parse.urlsplit(sys.argv[1])
print(json.load(urllib.request.urlopen(f"http://{url.netloc}/api/world?{url.query}"))["folder"])
' "$address") || fail "the editor does not answer at $address"
for process in /proc/[0-9]*; do # the editor started, by its command line: it ends by itself later
    [[ "$(tr '\0' '\n' <"$process/cmdline" 2>/dev/null | head -n 2)" == "$maps/tovren-world"$'\n'edit ]] &&
        kill "${process#/proc/}"
done
[[ "$folder_served" == "$maps" ]] || fail "the editor serves $folder_served"

echo "-- a second folder gets its own entry; --remove takes away one entry, nothing else"
other="$scratch/other maps"
mkdir "$other"
"$install_sh" "$other" >/dev/null
[[ $(find "$applications" -name 'tovren-*.desktop' | wc -l) -eq 2 ]] || fail "not two entries"
"$install_sh" --remove "$maps" >/dev/null
[[ ! -e "$entry" ]] || fail "the entry is still there"
[[ $(menu_files | grep -c -F "$(basename "$entry" .desktop)") -eq 0 ]] || fail "icons left behind"
[[ -x "$maps/Tovren" && -x "$maps/tovren-world" && -e "$maps/map1.link" && -e "$maps/.link" ]] ||
    fail "the folder was touched"
"$install_sh" --remove "$other" >/dev/null
[[ -z "$(menu_files)" ]] || fail "left behind: $(menu_files)"
[[ "$("$install_sh" --remove "$other")" == "There was no menu entry"* ]] ||
    fail "a second --remove did not say that there was nothing to remove"

echo "6 passed, 0 failed"
