#!/usr/bin/env bash
# Makes the pictures of the README from the programs as built: docs/world.png, the picture that
# `tovren-world draw` makes of a small world with every kind of fault.
# Usage: scripts/docs-pictures.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default >/dev/null
tool=build/default/worldtool/tovren-world

maps=/tmp/tovren-example/maps # a short path, shown in the findings
rm -rf "$(dirname "$maps")"
mkdir -p "$maps"
trap 'rm -rf "$(dirname "$maps")"' EXIT
record() { printf '%s\r\n%s\r\n%s\r\n%s\r\n' "$2" "$3" "$4" "$5" >"$maps/$1.link"; }
# A town as tall as two routes: route1 and route2 lie on its right, the harbour below it.
record town ''  harbour '' route1
record route1 '' route2 town city
record route2 route1 route3 '' ''
record route3 route2 '' harbour ''
record harbour town Island '' route3  # Island: the file is island.link
record city '' lake route1 ''
record lake city '' '' shore
record shore '' '' lake cave          # cave does not lead back
record cave '' ruins '' ''
record island '' '' '' ''
printf 'a\r\nb\r\n' >"$maps/ruins.link" # cut short
record desert '' '' oasis oasis       # a desert that wraps around
record oasis '' '' desert desert
"$tool" draw "$maps" -o "$maps/world.svg" >/dev/null
rsvg-convert --width 1500 "$maps/world.svg" -o docs/world.png
echo "Made docs/world.png"
