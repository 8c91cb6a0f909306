#!/usr/bin/env bash
# tovren-world check as map builders and CI scripts use it: the lines and the summary, the JSON
# document, the exit statuses, the program's own folder by default, and a save in progress.
# Usage: worldtool_test.sh PATH_TO_TOVREN_WORLD
set -euo pipefail
export LC_ALL=C.UTF-8
tool=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
record() { printf '%s\r\n%s\r\n%s\r\n%s\r\n' "$2" "$3" "$4" "$5" >"$1.link"; }
status_of() { local status=0; "$@" >"$scratch/out" 2>"$scratch/err" || status=$?; echo "$status"; }

echo "-- a world with every kind of finding: errors first, a summary, exit status 1"
world="$scratch/world"
mkdir "$world" && cd "$world"
record map1 '' map2 '' map3  # right to map3, which leads nowhere back
record map2 map1 '' '' ''
record map3 '' '' map1 map1  # map1 left of it, and map1 right of it: two cells
record map4 Map9 '' '' ''
record map9 '' '' '' ''
printf 'a\r\nb\r\n' >short.link
[[ $(status_of "$tool" check .) == 1 ]] || fail "exit status $(status_of "$tool" check .)"
expected="error: one-way: map3 leads right to map1, but map1 leads nowhere left
error: dangling: map4 leads up to Map9, which has no link file; did you mean map9?
error: unreadable: short cannot be loaded: Input past end of file: $world/short.link (the file has fewer than four lines)
warning: overlap: map3 leads right to map1, which would put map3 at (-1, 0), but other links put it at (1, 0)
6 maps in 4 regions: 3 errors, 1 warning"
[[ "$(cat "$scratch/out")" == "$expected" ]] || fail "the lines:
$(cat "$scratch/out")"

echo "-- the same as one JSON document with exactly the members promised"
[[ $(status_of "$tool" check --json "$world") == 1 ]] || fail "JSON: exit status"
python3 - "$scratch/out" "$world" <<'PYTHON' || fail "the JSON document"
import json, sys
document = json.load(open(sys.argv[1], encoding="utf-8"))
assert list(document) == ["folder", "maps", "findings"], list(document)
assert document["folder"] == sys.argv[2]
names = [entry["name"] for entry in document["maps"]]
assert names == ["map1", "map2", "map3", "map4", "map9", "short"], names
for entry in document["maps"]:
    assert set(entry) == {"name", "up", "down", "left", "right", "cell", "region"}, entry
map1, map3, short = document["maps"][0], document["maps"][2], document["maps"][5]
assert (map1["up"], map1["down"], map1["right"], map1["cell"]) == ("", "map2", "map3", [0, 0]), map1
assert map3["cell"] is None and map3["region"] == map1["region"], map3
assert short["up"] is None and short["cell"] == [0, 0], short
kinds = [(f["kind"], f["severity"], f["map"], f["direction"], f["target"]) for f in document["findings"]]
assert kinds == [("one-way", "error", "map3", "right", "map1"),
                 ("dangling", "error", "map4", "up", "Map9"),
                 ("unreadable", "error", "short", None, None),
                 ("overlap", "warning", "map3", "right", "map1")], kinds
assert all(set(f) == {"kind", "severity", "map", "direction", "target", "message"}
           for f in document["findings"])
PYTHON

echo "-- warnings fail only a strict check; a sound world passes"
mkdir "$scratch/ring" && cd "$scratch/ring"
record a '' '' b b
record b '' '' a a
[[ $(status_of "$tool" check .) == 0 ]] || fail "warnings alone failed the check"
[[ "$(tail -n 1 "$scratch/out")" == "2 maps in 1 region: 0 errors, 1 warning" ]] || fail "$(cat "$scratch/out")"
[[ $(status_of "$tool" check --strict .) == 1 ]] || fail "--strict passed a warning"

echo "-- the program's own folder by default, from any working directory"
cp "$tool" "$world/"
cd "$scratch"
[[ $(status_of "$world/$(basename "$tool")" check --json) == 1 ]] || fail "default folder"
grep -q "\"folder\": \"$world\"" "$scratch/out" || fail "not the program's folder: $(head -n 3 "$scratch/out")"

echo "-- a save in progress is waited for, not reported"
cd "$scratch/ring"
(exec 9>>a.link && flock --exclusive 9 && sleep 0.5) &
sleep 0.1
[[ $(status_of "$tool" check .) == 0 ]] || fail "a file being saved: $(cat "$scratch/out")"
wait

echo "-- what cannot be checked: exit status 2 and a message, never a stack trace"
for arguments in "check $scratch/missing" "check $world/map1.link" "check --bogus" "check a b" "draw-nothing"; do
    # shellcheck disable=SC2086 # the arguments are words
    [[ $(status_of "$tool" $arguments) == 2 ]] || fail "$arguments: exit status"
    [[ -s "$scratch/err" && ! -s "$scratch/out" ]] || fail "$arguments: no message, or output"
done
status_of "$tool" check "$world/map1.link" >/dev/null
grep -q -F "tovren-world: Cannot read the folder $world/map1.link: Not a directory" "$scratch/err" ||
    fail "$(cat "$scratch/err")"
[[ $(status_of "$tool" --help) == 0 ]] && grep -q "check" "$scratch/out" || fail "--help"
[[ $(status_of "$tool" --version) == 0 && "$(cat "$scratch/out")" == "tovren-world 1.00" ]] ||
    fail "--version: $(cat "$scratch/out")"

echo "6 passed, 0 failed"
