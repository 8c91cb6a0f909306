#!/usr/bin/env bash
# tovren-world.exe under Wine: a world whose link files name a map in the ANSI code page
# (Windows-1252) is read as Tovren.exe writes it, shown in UTF-8, and told with the same exit
# statuses as on Linux; its one-way link mended in that code page; drawn and exported; and,
# started with no arguments as by a double-click, the editor on its own folder, opened in the
# desktop's browser. A map renamed and removed, its fields in that code page; a removal cut
# short is told of and completed.
# Usage: tovren_world_exe_test.sh PATH_TO_TOVREN_WORLD_EXE PATH_TO_FAKE_GIT_EXE
set -euo pipefail
export LC_ALL=C.UTF-8 WINEDEBUG=-all
tool=$(realpath "$1")
fake_git=$(realpath "$2")
world=$(mktemp -d)
trap 'rm -rf "$world"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
cd "$world"

echo "-- a map with an accented name, linked both ways in Windows-1252: nothing wrong"
printf '\r\n\r\n\r\nK\xf6ln\r\n' >map1.link
printf '\r\n\r\nmap1\r\n\r\n' >Köln.link # the file's name as Windows shows it: Köln
wine "$tool" check --json . >"$world/out" || fail "exit status $?: $(cat "$world/out")"
python3 - "$world/out" <<'PYTHON' || fail "the JSON document: $(cat "$world/out")"
import json, sys
document = json.load(open(sys.argv[1], encoding="utf-8"))
assert [m["name"] for m in document["maps"]] == ["Köln", "map1"], document["maps"]
assert document["maps"][1]["right"] == "Köln" and document["maps"][1]["cell"] == [0, 0]
assert document["maps"][0]["cell"] == [1, 0] and document["findings"] == []
PYTHON

echo "-- a dangling link fails the check; a folder that is not there cannot be checked"
printf 'map9\r\n\r\n\r\n\r\n' >map2.link
status=0
wine "$tool" check . >"$world/out" || status=$?
[[ $status -eq 1 ]] && grep -q "^error: dangling: map2 leads up to map9" "$world/out" ||
    fail "status $status: $(cat "$world/out")"
# For CI: the file from here with "/", and a baseline byte for byte as on Linux.
(cd .. && wine "$tool" check --format github "${world##*/}") | tr -d '\r' >"$world/out" || true
grep -q -x "::error file=${world##*/}/map2.link,line=1,title=dangling::map2 leads up to map9, which has no link file" \
    "$world/out" || fail "github: $(cat "$world/out")"
wine "$tool" check --write-baseline baseline.json . >/dev/null
[[ "$(cat baseline.json)" == '{
  "findings": [
    {"kind":"dangling","map":"map2","direction":"up","target":"map9"}
  ]
}' ]] || fail "the baseline: $(od -c baseline.json | head)"
rm baseline.json
status=0
wine "$tool" check missing >/dev/null 2>"$world/err" || status=$?
[[ $status -eq 2 ]] && grep -q "Cannot read the folder" "$world/err" || fail "status $status"

echo "-- mirror --write mends map9's way back in Windows-1252; draw and export write their files"
printf '\r\n\r\n\r\n\r\n' >map9.link
printf '\r\n\r\n\r\n\r\n' >Köln2.link
printf 'K\xf6ln2\r\n\r\n\r\n\r\n' >map3.link # up to Köln2, which leads nowhere down
wine "$tool" mirror --write . >"$world/out" || fail "mirror: status $?: $(cat "$world/out")"
[[ "$(od -An -tx1 Köln2.link | tr -d ' \n')" == "0d0a6d6170330d0a0d0a0d0a" ]] ||
    fail "Köln2.link: $(od -c Köln2.link)"
wine "$tool" draw . >/dev/null && grep -q "<title>Köln</title>" world.svg || fail "draw"
wine "$tool" export --tiled t.world --map-size 32x32 . >/dev/null && grep -q '"fileName": "Köln.tmx"' t.world ||
    fail "export: $(cat t.world)"

echo "-- rename and remove: the fields in Windows-1252 follow; cut short, nothing is lost"
printf 'tiles' >Köln.tmx
wine "$tool" rename köln Düren --also .tmx --write . >"$world/out" || fail "rename: $(cat "$world/out")"
[[ "$(od -An -tx1 map1.link | tr -d ' \n')" == "0d0a0d0a0d0a44fc72656e0d0a" && -e Düren.link &&
    -e Düren.tmx && ! -e Köln.link && ! -e Köln.tmx ]] || fail "rename: map1.link: $(od -c map1.link)"
status=0
wine "$tool" rename map1 MAP1 --write . >/dev/null 2>"$world/err" || status=$?
[[ $status -eq 1 ]] && grep -q "for the same file" "$world/err" || fail "a name differing in case"
status=0
TOVREN_WORLD_STOP_AFTER_STEP=2 wine "$tool" remove Düren --write . >/dev/null || status=$?
[[ $status -eq 99 ]] || fail "cut short: status $status"
wine "$tool" check . >/dev/null 2>"$world/err" || true
grep -q "the removal of Düren in .* was cut short" "$world/err" || fail "not told: $(cat "$world/err")"
wine "$tool" remove Düren --write . >/dev/null || fail "not completed"
# Emptied, as Tovren.exe saves: the four lines over the first bytes, the rest as it was.
[[ "$(od -An -tx1 map1.link | tr -d ' \n')" == "0d0a0d0a0d0a0d0a72656e0d0a" && ! -e Düren.link &&
    ! -e .tovren-world.journal ]] || fail "removed: map1.link: $(od -c map1.link)"

echo "-- git's merge driver: fields merged in Windows-1252, a field both changed between markers"
git init -q -b main "$world/repository" && cd "$world/repository"
git config user.name Tester && git config user.email tester@example.org
git config merge.tovren-link.driver "wine '$tool' merge %O %A %B"
printf '*.link -text merge=tovren-link\n' >.gitattributes
printf 'K\xf6ln\r\n\r\n\r\n\r\n' >m.link && git add -A && git commit -qm base
git checkout -q -b theirs && printf 'K\xf6ln\r\nS\xfcd\r\n\r\nfar\r\n' >m.link && git commit -qam theirs
git checkout -q main && printf 'K\xf6ln\r\n\r\nwest\r\nnear\r\n' >m.link && git commit -qam ours
status=0
git merge -q --no-edit theirs >"$world/out" 2>&1 || status=$?
merged=$(printf 'K\xf6ln\r\nS\xfcd\r\nwest\r\n<<<<<<< ours\r\nnear\r\n=======\r\nfar\r\n>>>>>>> theirs\r\n' |
    od -An -tx1)
[[ $status != 0 && "$(od -An -tx1 m.link)" == "$merged" ]] ||
    fail "the merge: status $status, $(od -c m.link) $(cat "$world/out")"
cd "$world"

echo "-- git-setup as Git for Windows sees it: its arguments whole, the driver quoted for its sh"
mkdir "$world/tool's folder" "$world/git" "$world/team"
cp "$tool" "$world/tool's folder/tovren-world.exe" && cp "$fake_git" "$world/git/git.exe"
(cd "$world/team" && WINEPATH="$(winepath -w "$world/git")" FAKE_GIT_LOG="$(winepath -w "$world/git.log")" \
    wine "$world/tool's folder/tovren-world.exe" git-setup >"$world/out") || fail "git-setup: $(cat "$world/out")"
program="Z:$world/tool'\\''s folder/tovren-world.exe"
[[ "$(cat "$world/git.log")" == "-C|.|rev-parse|--show-toplevel
-C|.|config|--local|--get|merge.tovren-link.driver
-C|.|config|--local|merge.tovren-link.name|Tovren's link files, merged field by field
-C|.|config|--local|merge.tovren-link.driver|'$program' merge %O %A %B" ]] || fail "git was told: $(cat "$world/git.log")"
[[ "$(cat "$world/team/.gitattributes")" == "*.link -text merge=tovren-link" ]] || fail ".gitattributes"

echo "-- with no arguments, as from Explorer: the editor on its own folder, opened in the browser,"
echo "   on a page that passes it on to the address, whose token is in no program's arguments"
cp "$tool" "$world/tovren-world.exe"
mkdir "$world/bin" # the browser: Wine asks the desktop's, through xdg-open
printf '#!/bin/sh\nprintf "%%s" "$1" >"%s/opened"\n' "$world" >"$world/bin/xdg-open"
chmod 755 "$world/bin/xdg-open"
(cd / && PATH="$world/bin:$PATH" exec wine "$world/tovren-world.exe" >"$world/out" 2>/dev/null) &
for _ in $(seq 100); do
    [[ -s "$world/opened" ]] && break
    sleep 0.1
done
first=$(head -n 1 "$world/out" | tr -d '\r')
pkill -KILL -f "$world/tovren-world.exe" || true
{ wait; } 2>/dev/null || true
url=${first##* at }
[[ "$first" == "Editing the world of Z:${world//\//\\} at http://127.0.0.1:"* ]] ||
    fail "the first line: $first"
opened=$(cat "$world/opened" 2>/dev/null)
[[ "$opened" == file://* && "$opened" != *"${url#*token=}"* ]] || fail "the browser was asked to open $opened"
grep -q -F "$url" "${opened#file://}" || fail "the page does not pass the browser on to $url"
echo "7 passed, 0 failed"
