#!/usr/bin/env bash
# tovren-world as map builders and CI scripts use it. check: the lines and the summary, the JSON
# document, the exit statuses, the grid's overlaps with --grid, the program's own folder by
# default, and a save in progress. One small world with every kind of finding then serves draw
# (rendered by rsvg-convert), show, export (rendered by Tiled's tmxrasterizer) and mirror; and a
# generated world like a real game's is drawn and exported whole, and a map of it renamed and
# removed, cut short at every step and killed anywhere.
# Usage: worldtool_test.sh PATH_TO_TOVREN_WORLD PATH_TO_GENERATE_WORLD
set -euo pipefail
export LC_ALL=C.UTF-8
tool=$(realpath "$1")
generate=$(realpath "$2")
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
record map3 '' '' map1 map1  # map1 left of it, and map1 right of it: a loop
record map4 Map9 '' '' ''
record map9 '' '' '' ''
printf 'a\r\nb\r\n' >short.link
[[ $(status_of "$tool" check .) == 1 ]] || fail "exit status $(status_of "$tool" check .)"
expected="error: one-way: map3 leads right to map1, but map1 leads nowhere left
error: dangling: map4 leads up to Map9, which has no link file; did you mean map9?
error: unreadable: short cannot be loaded: Input past end of file: $world/short.link (the file has fewer than four lines)
warning: wrap: going right from map1 through map3 leads back to map1: the world wraps around here
6 maps in 4 regions: 3 errors, 1 warning"
[[ "$(cat "$scratch/out")" == "$expected" ]] || fail "the lines:
$(cat "$scratch/out")"

echo "-- --grid: one step per link, and the maps that overlap there instead of the loop"
[[ $(status_of "$tool" check --grid .) == 1 ]] || fail "--grid: exit status"
[[ "$(tail -n 2 "$scratch/out")" == "warning: overlap: map3 leads right to map1, which would put map3 at (-1, 0), but other links put it at (1, 0)
6 maps in 4 regions: 3 errors, 1 warning" ]] || fail "--grid: $(cat "$scratch/out")"

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
    assert list(entry) == ["name", "up", "down", "left", "right", "cell", "region", "size",
                           "position", "merge"], entry
    assert entry["size"] is None and entry["position"] is None, entry  # no Tiled map
map1, map2, map3, short = (document["maps"][i] for i in (0, 1, 2, 5))
# map2 above map1, map3 right of map1 (its way back left is the loop's link that was cut).
assert (map1["up"], map1["down"], map1["right"], map1["cell"]) == ("", "map2", "map3", [0, 0]), map1
assert map2["cell"] == [0, 1] and map3["cell"] == [1, 0] and map3["region"] == map1["region"], map3
assert short["up"] is None and short["cell"] == [0, 0], short
kinds = [(f["kind"], f["severity"], f["map"], f["direction"], f["target"]) for f in document["findings"]]
assert kinds == [("one-way", "error", "map3", "right", "map1"),
                 ("dangling", "error", "map4", "up", "Map9"),
                 ("unreadable", "error", "short", None, None),
                 ("wrap", "warning", "map3", "right", "map1")], kinds
assert all(set(f) == {"kind", "severity", "map", "direction", "target", "message", "mend"}
           for f in document["findings"])
mends = [f["mend"] and (f["mend"]["label"], f["mend"]["saves"][0]["map"]) for f in document["findings"]]
assert mends == [("Make it lead back", "map1"), ("Take map9", "map4"), None, None], mends
PYTHON

echo "-- for CI: workflow commands and SARIF, each finding at its file and line from here"
cd "$scratch"
[[ $(status_of "$tool" check --format github world) == 1 ]] || fail "github: exit status"
python3 - "$scratch/out" <<'PYTHON' || fail "the workflow commands: $(cat "$scratch/out")"
import re, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
command = re.compile(r"::(error|warning) file=([^,:%]|%25|%2C|%3A)+(,line=[1-4](,endLine=[0-9]+)?)?"
                     r",title=[a-z-]+::[^\r\n]+")
assert all(command.fullmatch(line) for line in lines[:-1]), lines
assert lines[-1] == "6 maps in 4 regions: 3 errors, 1 warning", lines[-1]
assert "::error file=world/map3.link,line=4,title=one-way::map3 leads right to map1, but map1 " \
       "leads nowhere left" in lines, lines
assert any(l.startswith("::error file=world/short.link,title=unreadable::") for l in lines), lines
PYTHON
mkdir "$scratch/odd" && record "$scratch/odd/x,y:%" nowhere '' '' ''
"$tool" check --format github odd >"$scratch/out" || true
[[ "$(head -n 1 "$scratch/out")" == "::error file=odd/x%2Cy%3A%25.link,line=1,title=dangling::x,y:%25 leads up to nowhere, which has no link file" ]] ||
    fail "escaped: $(cat "$scratch/out")"
[[ $(status_of "$tool" check --format sarif "$world") == 1 ]] || fail "sarif: exit status"
python3 - "$scratch/out" "$scratch" <<'PYTHON' || fail "the SARIF log: $(cat "$scratch/out")"
import json, sys
log = json.load(open(sys.argv[1], encoding="utf-8"))
assert log["version"] == "2.1.0" and log["$schema"].endswith("sarif-2.1.0.json"), log
(run,) = log["runs"]
driver = run["tool"]["driver"]
rules = driver["rules"]
assert driver["name"] == "tovren-world" and isinstance(driver["version"], str), driver
ids = [rule["id"] for rule in rules]
assert set(ids) >= {"one-way", "dangling", "unreadable", "wrap", "overlap", "conflict"}, ids
assert all(rule["shortDescription"]["text"] and rule["fullDescription"]["text"] and
           rule["defaultConfiguration"]["level"] in ("error", "warning") for rule in rules), rules
assert run["originalUriBaseIds"]["%SRCROOT%"]["uri"] == "file://" + sys.argv[2] + "/", run
places = []
for result in run["results"]:
    assert rules[result["ruleIndex"]]["id"] == result["ruleId"], result
    assert result["level"] in ("error", "warning") and result["message"]["text"], result
    (location,) = result["locations"]
    artifact = location["physicalLocation"]["artifactLocation"]
    assert artifact["uriBaseId"] == "%SRCROOT%", artifact
    region = location["physicalLocation"].get("region", {})
    assert all(region[key] >= 1 for key in region), region
    places.append((result["ruleId"], artifact["uri"], region.get("startLine")))
assert places == [("one-way", "world/map3.link", 4), ("dangling", "world/map4.link", 1),
                  ("unreadable", "world/short.link", None), ("wrap", "world/map3.link", 4)], places
PYTHON
[[ $(status_of "$tool" check --format xml world) == 2 && $(status_of "$tool" check --json --format json world) == 2 ]] ||
    fail "an unknown format, or two, were taken"

echo "-- a baseline: only new faults fail, fixed ones are counted; it is sorted and stable"
[[ $(status_of "$tool" check --write-baseline "$scratch/baseline.json" world) == 0 ]] ||
    fail "--write-baseline: $(cat "$scratch/err")"
cp "$scratch/baseline.json" "$scratch/first.json"
"$tool" check --write-baseline "$scratch/baseline.json" "$world" >/dev/null
cmp -s "$scratch/baseline.json" "$scratch/first.json" || fail "the baseline changed between runs"
python3 - "$scratch/baseline.json" <<'PYTHON' || fail "the baseline: $(cat "$scratch/baseline.json")"
import json, sys
text = open(sys.argv[1], encoding="utf-8").read()
found = json.loads(text)["findings"]
keys = [(f["kind"], f["map"], f["direction"] or "", f["target"] or "") for f in found]
assert keys == sorted(keys) and len(keys) == 4 and len(text.splitlines()) == 8, text
assert all(set(f) == {"kind", "map", "direction", "target"} for f in found), found
PYTHON
[[ $(status_of "$tool" check --baseline "$scratch/baseline.json" world) == 0 ]] ||
    fail "old faults failed the check: $(cat "$scratch/out")"
record "$world/map9" '' '' '' 'Nowhere' # a new fault
mv "$world/short.link" "$scratch/"     # an old one fixed
[[ $(status_of "$tool" check --baseline "$scratch/baseline.json" world) == 1 ]] || fail "a new fault passed"
[[ "$(cat "$scratch/out")" == "error: dangling: map9 leads right to Nowhere, which has no link file
5 maps in 3 regions: 1 error, 0 warnings
The baseline $scratch/baseline.json: 3 of its findings still stand (not shown), 1 is gone" ]] ||
    fail "against the baseline: $(cat "$scratch/out")"
mv "$scratch/short.link" "$world/"
record "$world/map9" '' '' '' ''
printf '{"findings": {}}' >"$scratch/bad.json"
for baseline in bad.json missing.json; do
    [[ $(status_of "$tool" check --baseline "$scratch/$baseline" world) == 2 && -s "$scratch/err" ]] ||
        fail "the baseline $baseline was taken"
done

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


echo "-- draw: every kind of finding, escaped names, a picture rsvg-convert renders"
mkdir "$scratch/faults" && cd "$scratch/faults"
record hub Nowhere south '<b>&"x"' east # <b>&"x" leads back: a map named with XML's characters
record east '' '' hub far
record far '' '' '' broken              # far leads nowhere left: one-way, and mendable
record south hub '' west ''
record west '' '' '' hub                # south's left leads here, west's right elsewhere
record '<b>&"x"' '' '' '' hub
printf 'a\r\n' >broken.link
record a '' '' c b                      # a ring: it wraps around
record b '' '' a c
record c '' '' b a
[[ $(status_of "$tool" draw . -o "$scratch/faults.svg") == 0 ]] || fail "draw: $(cat "$scratch/err")"
rsvg-convert "$scratch/faults.svg" -o "$scratch/faults.png" || fail "rsvg-convert cannot render it"
mkdir "$scratch/elbow" # d below a leads right to c, two columns on, past b: an elbow
(cd "$scratch/elbow" && record a '' d '' b && record b '' '' a c && record c '' '' b '' &&
    record d a '' '' c)
"$tool" draw "$scratch/elbow" -o "$scratch/elbow.svg" >/dev/null || fail "draw the elbow"
mkdir "$scratch/edge" # a ring in the left column; three links into one side of hub, two elbows
(cd "$scratch/edge" && record a '' '' c b && record b '' '' a c && record c '' '' b a &&
    record hub '' '' '' p && record p '' q hub '' && record q p r hub '' && record r q '' hub '' &&
    record s Gone '' '' '')
"$tool" draw "$scratch/edge" -o "$scratch/edge.svg" >/dev/null || fail "draw the edge"
grep -q 'data-map="3" data-direction="right" d="M[^"]* L[^"]* L[^"]* L[^"]* L[^"]* L[^"]*"' \
    "$scratch/elbow.svg" || fail "d's way right is not an elbow of five strokes"
python3 - "$scratch/faults.svg" <<'PYTHON' || fail "the picture's content"
import sys, xml.etree.ElementTree as tree
svg = "{http://www.w3.org/2000/svg}"
root = tree.parse(sys.argv[1]).getroot()
titles = {element.text for element in root.iter(svg + "title")}
assert {"hub", '<b>&"x"', "broken", "Nowhere"} <= titles, titles
texts = [element.text for element in root.iter(svg + "text")]
assert "error: one-way: east leads right to far, but far leads nowhere left" in texts, texts
assert any(t.startswith("warning: wrap: going right from a through") for t in texts), texts
classes = lambda kind: [e for e in root.iter(svg + kind) if e.get("class")]
def having(kind, style):  # of the world, not of the legend: each carries its map's index
    return [e for e in classes(kind) if style in e.get("class").split() and e.get("data-map")]
assert any(p.get("marker-end") == "url(#arrow)" for p in having("path", "one-way")), "no arrow"
assert having("g", "dangling") and having("g", "wrap"), "no dangling stub, or no wrap around"
unreadable = having("g", "unreadable")
assert unreadable and unreadable[0].find(svg + "path").get("class") == "cross", "no crossed-out box"
assert not having("g", "unplaced"), "a map without a cell"
style = root.find(svg + "style").text
assert ".link.one-way" in style and ".map .box" in style, "no stylesheet in the picture"
PYTHON
for picture in faults elbow edge; do
    python3 - "$scratch/$picture.svg" <<'PYTHON' || fail "the picture's geometry: $picture"
import sys, xml.etree.ElementTree as tree
svg = "{http://www.w3.org/2000/svg}"
root = tree.parse(sys.argv[1]).getroot()
def having(kind, style):  # of the world, not of the legend: each carries its map's index
    return [e for e in root.iter(svg + kind)
            if style in (e.get("class") or "").split() and e.get("data-map")]
# Every map's box at a place of its own, and every link of horizontal and vertical strokes
# that cross no box: out of one, along the gaps, into the other.
boxes = [[float(r.get(a)) for a in ("x", "y", "width", "height")]
         for g in having("g", "map") for r in g.iter(svg + "rect")]
assert len({(x, y) for x, y, _, _ in boxes}) == len(having("g", "map")), boxes
def crosses(a, b, box):
    x, y, width, height = box
    return (max(a[0], b[0]) > x and min(a[0], b[0]) < x + width and
            max(a[1], b[1]) > y and min(a[1], b[1]) < y + height)
for path in having("path", "link"):
    points = [tuple(map(float, p.split(","))) for p in path.get("d")[1:].split(" L")]
    assert all(a[0] == b[0] or a[1] == b[1] for a, b in zip(points, points[1:])), path.get("d")
    assert not any(crosses(a, b, box) for a, b in zip(points, points[1:]) for box in boxes), \
        path.get("d")
# Every part inside the picture, a stub's name too (at most 0.7 of its size a character wide);
# no two links along one line over any length; each elbow over a casing of its own, which cuts
# a gap in what it crosses.
width, height = float(root.get("width")), float(root.get("height"))
def inside(x, y):
    assert 0 <= x <= width and 0 <= y <= height, (x, y, width, height)
lines = having("path", "link") + [p for g in having("g", "dangling") + having("g", "wrap")
                                  for p in g.iter(svg + "path")]
strokes = []
for path in lines:
    points = [tuple(map(float, p.split(","))) for p in path.get("d")[1:].split(" L")]
    for point in points:
        inside(*point)
    strokes += [(a, b, path.get("d")) for a, b in zip(points, points[1:])]
for element in root.iter(svg + "rect"):
    if element.get("x"):
        x, y, w, h = (float(element.get(a)) for a in ("x", "y", "width", "height"))
        inside(x, y), inside(x + w, y + h)
for text in root.iter(svg + "text"):
    x, y, size = float(text.get("x")), float(text.get("y")), 11 * 0.7 * len(text.text or "")
    start = {"end": x - size, "middle": x - size / 2}.get(text.get("text-anchor"), x)
    if "findings" not in (text.get("class") or "") and text.get("class") not in ("error", "warning", "summary"):
        inside(start, y - 11), inside(start + size, y)
def along(a, b, c, d):  # two strokes on one line, sharing more than a point
    if a[0] == b[0] == c[0] == d[0]:
        return min(max(a[1], b[1]), max(c[1], d[1])) - max(min(a[1], b[1]), min(c[1], d[1])) > 0
    if a[1] == b[1] == c[1] == d[1]:
        return min(max(a[0], b[0]), max(c[0], d[0])) - max(min(a[0], b[0]), min(c[0], d[0])) > 0
    return False
for i, (a, b, one) in enumerate(strokes):
    for c, d, other in strokes[i + 1:]:
        assert one == other or not along(a, b, c, d), (one, other)
children = list(root.find(svg + "g[@class='links']"))
for at, path in enumerate(children):
    if (path.get("class") or "").startswith("link ") and path.get("d").count(" L") > 1:
        assert at > 0 and children[at - 1].get("class") == "casing" and \
            children[at - 1].get("d") == path.get("d"), path.get("d")
PYTHON
done
[[ $(status_of "$tool" draw .) == 0 && -s world.svg ]] || fail "draw: no world.svg in the folder"

echo "-- show: the picture in the folder, opened in the desktop's viewer, and the check"
mkdir "$scratch/bin"
printf '#!/bin/sh\nprintf "%%s" "$1" >"%s/opened"\n' "$scratch" >"$scratch/bin/xdg-open"
chmod 755 "$scratch/bin/xdg-open"
rm world.svg
[[ $(PATH="$scratch/bin:$PATH" status_of "$tool" show "$scratch/faults") == 1 ]] || fail "show: status"
[[ "$(cat "$scratch/opened")" == "$scratch/faults/world.svg" && -s world.svg ]] || fail "show: not opened"
grep -q "^error: one-way: east leads right to far" "$scratch/out" || fail "show: no check printed"

echo "-- export: a Tiled world that tmxrasterizer renders to the world's bounding box"
[[ $(status_of "$tool" export --grid --tiled "$scratch/t/faults.world" --map-size 64x32 .) == 1 ]] ||
    fail "export --grid took a world with overlaps"
grep -q -x "  b" "$scratch/err" && [[ ! -e "$scratch/t/faults.world" ]] || fail "export: $(cat "$scratch/err")"
for arguments in "--tiled x.world" "--tiled x.world --map-size 64" "--tiled x.world --map-size 0x5" \
    "--map-size 64x32"; do
    # shellcheck disable=SC2086 # the arguments are words
    [[ $(status_of "$tool" export $arguments .) == 2 && ! -e x.world ]] || fail "export $arguments"
done
mkdir -p "$scratch/t"
[[ $(status_of "$tool" export --grid --tiled "$scratch/t/faults.world" --map-size 64x32 --skip-unplaced .) == 0 ]] ||
    fail "export --skip-unplaced: $(cat "$scratch/err")"
grep -q "^left out, without a cell of its own: b$" "$scratch/out" || fail "$(cat "$scratch/out")"
tile='<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="orthogonal" renderorder="right-down" width="2" height="1" tilewidth="32" tileheight="32" infinite="0" nextlayerid="2" nextobjectid="1">
 <layer id="1" name="ground" width="2" height="1"><data encoding="csv">0,0</data></layer>
</map>'
for map in hub east far south west '<b>&"x"' broken a c; do printf '%s\n' "$tile" >"$map.tmx"; done
# hub, east, far and broken in a row, south below hub; west, <b>&"x" and b lie on others'
# cells: 4 columns of 64, 2 rows of 32; the ring's a and c in a row of their own below, after a
# row's gap: the shape nearest 16 by 10.
XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=offscreen tmxrasterizer "$scratch/t/faults.world" \
    "$scratch/tiled.png" 2>/dev/null || fail "tmxrasterizer cannot render the world"
python3 - "$scratch/tiled.png" <<'PYTHON' || fail "the rendered size"
import struct, sys
width, height = struct.unpack(">II", open(sys.argv[1], "rb").read(24)[16:24])
assert (width, height) == (4 * 64, 4 * 32), (width, height)
PYTHON
rm ./*.tmx

echo "-- mirror: lists the mend, changes nothing; --write makes it once; a held file fails alone"
before=$(cat ./*.link | od -An -tx1)
[[ $(status_of "$tool" mirror .) == 0 ]] || fail "mirror: status"
grep -q -x "would make: far leads left to east" "$scratch/out" || fail "mirror: $(cat "$scratch/out")"
grep -q "^for a person: south leads left to west, but west leads right to hub" "$scratch/out" ||
    fail "mirror: the one-way link that leads elsewhere"
[[ "$(cat ./*.link | od -An -tx1)" == "$before" ]] || fail "mirror without --write changed a file"
record lone '' '' '' far2                # a second mend, of far2, while far is held
record far2 '' '' '' ''
(exec 9<far.link && flock --shared 9 && sleep 1) & # loads may read it, saves may not
sleep 0.2
[[ $(status_of "$tool" mirror --write .) == 1 ]] || fail "mirror --write with a held file: status"
grep -q -x "made: far2 leads left to lone" "$scratch/out" && grep -q "not saved" "$scratch/err" ||
    fail "mirror --write: $(cat "$scratch/out" "$scratch/err")"
wait
[[ $(status_of "$tool" mirror --write .) == 0 ]] || fail "mirror --write: status"
grep -q -x "made: far leads left to east" "$scratch/out" || fail "mirror --write: $(cat "$scratch/out")"
[[ "$(od -An -c far.link | tr -d ' \n')" == '\r\n\r\neast\r\nbroken\r\n' ]] || fail "far.link: $(od -c far.link)"
"$tool" check . >"$scratch/out" || true
! grep -q -E "one-way: (east|far|lone|far2) " "$scratch/out" || fail "still one-way: $(cat "$scratch/out")"
after=$(cat ./*.link | od -An -tx1)
[[ $(status_of "$tool" mirror --write .) == 0 ]] && grep -q "^0 links in 0 maps mended" "$scratch/out" &&
    [[ "$(cat ./*.link | od -An -tx1)" == "$after" ]] || fail "a second --write changed something"

echo "-- a world like a real game's: checked sound, drawn with every map in place, exported whole"
mkdir "$scratch/real"
"$generate" "$scratch/real" 300 5 >/dev/null
[[ $(status_of "$tool" check --strict "$scratch/real") == 0 ]] || fail "a sound world: $(cat "$scratch/out")"
grep -q -x "[0-9]* maps in [0-9]* regions*: 0 errors, 0 warnings" "$scratch/out" || fail "$(cat "$scratch/out")"
[[ $(status_of "$tool" draw "$scratch/real" -o "$scratch/real.svg") == 0 ]] || fail "draw: $(cat "$scratch/err")"
rsvg-convert "$scratch/real.svg" -o "$scratch/real.png" || fail "rsvg-convert cannot render it"
! grep -q 'class="map[^"]*unplaced' "$scratch/real.svg" || fail "a map of a sound world drawn without its cell"
[[ $(status_of "$tool" export --tiled "$scratch/real.world" --map-size 640x480 "$scratch/real") == 0 ]] ||
    fail "export: $(cat "$scratch/err")"
python3 - "$scratch/real.world" "$scratch/real" <<'PYTHON' || fail "the Tiled world"
import json, os, sys
maps = json.load(open(sys.argv[1], encoding="utf-8"))["maps"]
names = sorted(f[:-5] + ".tmx" for f in os.listdir(sys.argv[2]) if f.endswith(".link"))
assert sorted(os.path.basename(m["fileName"]) for m in maps) == names, "not every map"
assert all((m["width"], m["height"]) == (640, 480) and m["x"] % 640 == 0 and m["y"] % 480 == 0
           for m in maps)
assert len({(m["x"], m["y"]) for m in maps}) == len(maps), "maps on top of one another"
PYTHON

echo "-- with Tiled maps: sizes and places in pixels, drawn, an export that Tiled renders with every map in place"
mkdir "$scratch/sized"
python3 - "$scratch/sized/tile.png" <<'PYTHON'
import struct, sys, zlib  # one opaque tile of 16 by 16
row = b"\0" + b"\x40\x80\xc0\xff" * 16
chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                            struct.pack(">I", zlib.crc32(kind + data)))
open(sys.argv[1], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 6, 0, 0, 0)) +
                              chunk(b"IDAT", zlib.compress(row * 16)) + chunk(b"IEND", b""))
PYTHON
"$generate" "$scratch/sized" 30 2 --tileset tile.png >/dev/null
[[ $(status_of "$tool" check --json "$scratch/sized") == 0 ]] || fail "check: $(cat "$scratch/err")"
cp "$scratch/out" "$scratch/sized.json"
[[ $(status_of "$tool" draw "$scratch/sized" -o "$scratch/sized.svg") == 0 ]] || fail "draw: $(cat "$scratch/err")"
rsvg-convert "$scratch/sized.svg" -o "$scratch/sized-picture.png" || fail "rsvg-convert cannot render it"
grep -q '<path class="link both-ways mark"' "$scratch/sized.svg" || fail "no mark across the edge of two maps"
[[ $(status_of "$tool" export --tiled "$scratch/sized.world" "$scratch/sized") == 0 ]] ||
    fail "export without --map-size: $(cat "$scratch/err")"
XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=offscreen tmxrasterizer --scale 0.125 \
    "$scratch/sized.world" "$scratch/sized.png" 2>/dev/null || fail "tmxrasterizer cannot render it"
python3 - "$scratch/sized.json" "$scratch/sized.world" "$scratch/sized.png" <<'PYTHON' || fail "the world in pixels"
import json, struct, sys, zlib
document = json.load(open(sys.argv[1], encoding="utf-8"))
maps = {m["name"]: m for m in document["maps"]}
assert not document["findings"], document["findings"]
tiled = {f["fileName"][len("sized/"):-4]: f for f in json.load(open(sys.argv[2]))["maps"]}
assert set(tiled) == set(maps), "not every map exported"
assert sum(f["fileName"].endswith(".tmj") for f in json.load(open(sys.argv[2]))["maps"]) > 0
for name, m in maps.items():  # one region: the export's places are check's
    assert [tiled[name]["width"], tiled[name]["height"]] == m["size"], (name, m)
    assert [tiled[name]["x"], tiled[name]["y"]] == m["position"], (name, m)
# The picture Tiled renders: every map's tiles where the world file puts them, and no two maps
# on one another (the opaque pixels are the maps' areas together).
data = open(sys.argv[3], "rb").read()
width, height = struct.unpack(">II", data[16:24])
right = max(m["position"][0] + m["size"][0] for m in maps.values())
bottom = max(m["position"][1] + m["size"][1] for m in maps.values())
assert (width, height) == (right // 8, bottom // 8), ((width, height), (right, bottom))
at, idat = 8, b""
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    idat += data[at + 8:at + 8 + length] if kind == b"IDAT" else b""
    at += 12 + length
raw, rows, previous = zlib.decompress(idat), [], bytearray(width * 4)
for y in range(height):  # PNG's filters, undone
    line = bytearray(raw[y * (width * 4 + 1) + 1:(y + 1) * (width * 4 + 1)])
    kind = raw[y * (width * 4 + 1)]
    for x in range(len(line)):
        a = line[x - 4] if x >= 4 else 0
        b, c = previous[x], previous[x - 4] if x >= 4 else 0
        p = a + b - c
        nearest = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else (b if abs(p - b) <= abs(p - c) else c)
        line[x] = (line[x] + (0, a, b, (a + b) // 2, nearest)[kind]) & 0xFF
    rows.append(line)
    previous = line
opaque = sum(line[x + 3] > 0 for line in rows for x in range(0, len(line), 4))
area = sum(m["size"][0] * m["size"][1] for m in maps.values()) // 64
assert opaque == area, (opaque, area)
for m in maps.values():
    x, y = (m["position"][0] + m["size"][0] // 2) // 8, (m["position"][1] + m["size"][1] // 2) // 8
    assert rows[y][x * 4 + 3] > 0, ("not in place", m["name"])
PYTHON

echo "-- rename and remove: listed first, changing nothing; then made, every other byte kept"
names="$scratch/names"
mkdir -p "$names" && cd "$names"
tree() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum); }
mkdir base && "$generate" base 300 7 >/dev/null
old=$(cat base/*.link | tr -d '\r' | grep -v '^$' | sort | uniq -c | sort -rn | awk 'NR == 1 {print $2}')
printf 'tiles' >"base/$old.png" # a file beside the map that takes its new name too
(cd base && record watcher '' '' '' "$old" && record ghost nowhere '' '' '') # a one-way link, a dangling one
cp -a base done
[[ $(status_of "$tool" rename "$old" forest --also .tmx,.png done) == 0 ]] || fail "rename: $(cat "$scratch/err")"
[[ "$(tree done)" == "$(tree base)" ]] || fail "the dry run changed a file"
[[ $(grep -c "^would make .* lead .* to forest instead of $old$" "$scratch/out") -ge 4 ]] || fail "$(cat "$scratch/out")"
"$tool" check --json base >"$scratch/before.json" || true
[[ $(status_of "$tool" rename "$old" forest --also .tmx,.png --write done) == 0 ]] || fail "rename --write: $(cat "$scratch/err")"
"$tool" check --json done >"$scratch/after.json" || true
python3 - base done "$old" "$scratch/before.json" "$scratch/after.json" <<'PYTHON' || fail "what rename --write made"
import json, os, re, sys
base, done, old = sys.argv[1:4]
before = set(os.listdir(base)) - {old + ".link", old + ".png"}
assert set(os.listdir(done)) == before | {"forest.link", "forest.png"}, set(os.listdir(done)) ^ before
for name in before | {old + ".link", old + ".png"}:
    expected = open(os.path.join(base, name), "rb").read()
    if name.endswith(".link"):  # each line that named the map names it anew, as the store saves it
        expected = b"".join(b"forest\r\n" if line == old.encode() + b"\r\n" else line
                            for line in expected.splitlines(keepends=True))
    now = os.path.join(done, name.replace(old + ".", "forest."))
    assert open(now, "rb").read() == expected, name
def findings(path, rename=lambda text: text):
    told = json.load(open(path, encoding="utf-8"))["findings"]
    return sorted(tuple(rename(str(f[key])) for key in ("kind", "map", "direction", "target", "message"))
                  for f in told)
renamed = lambda text: re.sub(rf"\b{old}\b", "forest", text)
assert findings(sys.argv[5]) == findings(sys.argv[4], renamed) != [], findings(sys.argv[5])
PYTHON
cp -a base removed
[[ $(status_of "$tool" remove "$old" --write removed) == 0 ]] || fail "remove --write: $(cat "$scratch/err")"
[[ ! -e "removed/$old.link" && -e "removed/$old.png" ]] && ! grep -q -x "$old" <(cat removed/*.link | tr -d '\r') ||
    fail "remove --write: $(cat "$scratch/out")"
[[ $(status_of "$tool" rename "$old" 'a/b' --write base) == 1 && $(status_of "$tool" rename "$old") == 2 &&
    $(status_of "$tool" remove missing --write base) == 1 ]] || fail "exit statuses"

echo "-- rename and remove cut short after every file operation: told, no new link dangling, finished alike"
for command in "rename $old forest --also .tmx,.png --write" "remove $old --write"; do
    expected=$([[ $command == rename* ]] && tree done || tree removed)
    for step in $(seq 1 30); do
        rm -rf cut && cp -a base cut
        # shellcheck disable=SC2086 # the command's words
        status=$(status_of env TOVREN_WORLD_STOP_AFTER_STEP="$step" "$tool" $command cut)
        [[ $status == 0 ]] && break
        [[ $status == 99 ]] || fail "$command, step $step: status $status"
        "$tool" check --json cut >"$scratch/out" 2>"$scratch/err" || true
        ! grep -E '"kind": ?"(dangling|unreadable)"' "$scratch/out" | grep -q -v -F '"target":"nowhere"' || fail "$command, step $step: a link dangles"
        if [[ -e cut/.tovren-world.journal ]]; then # else it ended after its last step
            grep -q "was cut short; run it again" "$scratch/err" || fail "$command, step $step: not told"
            # shellcheck disable=SC2086
            if ((step % 2)); then "$tool" $command cut; else "$tool" draw --finish -o "$scratch/cut.svg" cut; fi \
                >/dev/null 2>&1 || fail "$command, step $step: not finished"
        fi
        [[ "$(tree cut)" == "$expected" ]] || fail "$command, step $step: finished otherwise"
    done
    ((step > 5)) || fail "$command: only $step steps"
done

echo "-- rename and remove killed at random moments: never a new dangling link, finished alike"
for attempt in $(seq 1 16); do
    rm -rf cut && cp -a base cut
    if ((attempt % 2)); then command="rename $old forest --also .tmx,.png" result=done; else
        command="remove $old" result=removed; fi
    # shellcheck disable=SC2086 # the command's words
    "$tool" $command --write cut >/dev/null &
    sleep "$(printf '0.%03d' $((RANDOM % 50)))" # within the tens of milliseconds it takes
    kill -9 $! 2>/dev/null || true
    wait $! 2>/dev/null || true
    "$tool" check --json cut >"$scratch/out" 2>/dev/null || true
    ! grep -E '"kind": ?"(dangling|unreadable)"' "$scratch/out" | grep -q -v -F '"target":"nowhere"' || fail "killed ($attempt): a link dangles"
    "$tool" check --finish cut >/dev/null 2>&1 || true
    [[ ! -e cut/.tovren-world.journal ]] && [[ "$(tree cut)" == "$(tree $result)" || "$(tree cut)" == "$(tree base)" ]] ||
        fail "killed ($attempt, $command): finished otherwise"
done

echo "-- a held file changes nothing; two changes in one folder wait for one another"
rm -rf cut && cp -a base cut
referrer=$(grep -l -x "$old"$'\r' cut/*.link | head -n 1)
(exec 9>>"$referrer" && flock --exclusive 9 && sleep 3) &
sleep 0.2
[[ $(status_of "$tool" rename "$old" forest --write cut) == 1 ]] || fail "a held file: status"
grep -q "$(basename "$referrer" .link) cannot be loaded (Access denied" "$scratch/err" &&
    grep -q "Nothing was changed" "$scratch/err" || fail "a held file: $(cat "$scratch/err")"
wait
[[ "$(tree cut)" == "$(tree base)" ]] || fail "a held file: something changed"
flock cut sleep 1 &
sleep 0.2
"$tool" rename "$old" forest --write cut >/dev/null 2>"$scratch/err" &
renaming=$!
"$tool" rename "$(basename "$referrer" .link)" second --write cut >/dev/null 2>&1 ||
    fail "the second rename"
wait $renaming || fail "the first rename"
grep -q "waiting for the rename or removal going on in" "$scratch/err" || fail "no wait told"
cp -a base sequential
"$tool" rename "$old" forest --write sequential >/dev/null
"$tool" rename "$(basename "$referrer" .link)" second --write sequential >/dev/null
[[ "$(tree cut)" == "$(tree sequential)" ]] || fail "two renames at once interleaved"

echo "20 passed, 0 failed"
