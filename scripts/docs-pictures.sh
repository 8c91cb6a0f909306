#!/usr/bin/env bash
# Makes the pictures of the README from the programs as built: docs/world.png, the picture that
# `tovren-world draw` makes of a small world with every kind of fault, docs/world-sizes.png, that
# of a world whose maps have Tiled maps beside them, and docs/editor.png, the editor's page on
# the first world in Chromium, a map chosen.
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
rm "$maps/world.svg"

# A large map cut into maps of different sizes, each with a Tiled map beside it.
sized=$(dirname "$maps")/sized
mkdir "$sized"
build/default/tests/generate_world "$sized" 14 3 --tileset tile.png >/dev/null
"$tool" draw "$sized" -o "$sized/world.svg" >/dev/null
rsvg-convert --width 1200 "$sized/world.svg" -o docs/world-sizes.png

"$tool" edit --no-browser "$maps" >"$(dirname "$maps")/edit.out" &
server=$!
for _ in $(seq 50); do [[ -s "$(dirname "$maps")/edit.out" ]] && break; sleep 0.1; done
url=$(head -n 1 "$(dirname "$maps")/edit.out" | sed 's/.* at //')
/usr/bin/python3 - "$url" docs/editor.png "$(dirname "$maps")/browser" <<'PYTHON'
import sys, time
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1400,820", "--force-color-profile=srgb", f"--user-data-dir={sys.argv[3]}"]:
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
driver.get(sys.argv[1])
while not driver.execute_script("return window.tovrenShown"):
    time.sleep(0.1)
driver.find_element(By.ID, "find").send_keys("shore", Keys.ENTER)
time.sleep(1)
driver.execute_script("document.activeElement.blur()")
driver.save_screenshot(sys.argv[2])
driver.quit()
PYTHON
kill "$server"
wait "$server" || true
echo "Made docs/world.png, docs/world-sizes.png and docs/editor.png"
