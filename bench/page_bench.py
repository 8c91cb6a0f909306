#!/usr/bin/python3
"""The editor's page in Chromium (headless, Debian's, driven by Selenium) at size: grids of
1,000, 10,000 and 100,000 maps served by `tovren-world edit`. Measured with Chromium's own
timings (the Performance API of the page): the time from opening the page to the world painted;
frames per second while the picture is panned and zoomed by the mouse (dragged and wheeled
through the DevTools protocol, frames counted with requestAnimationFrame), in the first view and
with the whole world fitted in; and, at 1,000 maps, the time from pressing Enter in a field to
"Saved" shown, and to the picture redrawn.
Usage: page_bench.py TOVREN_WORLD [RUNS]"""
import os
import statistics
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from worlds import make_grid, start_editor  # noqa: E402

tool = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--window-size=1400,900", f"--user-data-dir={profile}"]:
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait(driver, script, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = driver.execute_script("return " + script)
        if value:
            return value
        time.sleep(0.01)
    raise TimeoutError(script)


def painted(driver):
    """Milliseconds from the start of the page's navigation to the world painted."""
    return wait(driver, "(performance.getEntriesByType('mark').find((m) => "
                        "m.name.startsWith('tovren-painted')) || {}).startTime")


def frames_per_second(driver, gesture):
    """Frames drawn each second while the gesture goes on, counted with requestAnimationFrame,
    and the 95th percentile of the time between two frames, in milliseconds."""
    driver.execute_script("window.frameTimes = []; const tick = (t) => { window.frameTimes.push(t);"
                          " if (window.frameTimes.length < 100000) requestAnimationFrame(tick); };"
                          " requestAnimationFrame(tick);")
    gesture()
    times = driver.execute_script("const t = window.frameTimes; window.frameTimes = [];"
                                  " return t;")
    frames = sorted(set(times))  # callbacks of one frame share its time
    gaps = sorted(b - a for a, b in zip(frames, frames[1:]))
    return (len(frames) - 1) / ((frames[-1] - frames[0]) / 1000), gaps[int(len(gaps) * 0.95)]


def pan(driver, seconds=3):
    send = lambda kind, x, y: driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
        "type": kind, "x": x, "y": y, "button": "left", "buttons": 1 if kind != "mouseReleased" else 0,
        "clickCount": 1})
    send("mousePressed", 500, 400)
    started = time.monotonic()
    step = 0
    while time.monotonic() - started < seconds:
        step += 1
        send("mouseMoved", 500 + 200 * ((step % 40) - 20) / 20, 400 + (step % 7))
    send("mouseReleased", 500, 400)


def zoom(driver, seconds=3):
    started = time.monotonic()
    step = 0
    while time.monotonic() - started < seconds:
        step += 1
        driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
            "type": "mouseWheel", "x": 500, "y": 400, "deltaX": 0,
            "deltaY": 40 if (step // 25) % 2 else -40})


print(f"{'maps':>7} {'painted':>9} {'pan fps':>8} {'p95 ms':>7} {'zoom fps':>9} {'p95 ms':>7} "
      f"{'fitted: pan':>12} {'zoom':>6} {'saved shown':>12} {'redrawn':>9}")
for width, height in ((40, 25), (100, 100), (400, 250)):
    count = width * height
    with tempfile.TemporaryDirectory() as folder:
        make_grid(folder, width, height)
        server, url = start_editor(tool, folder)
        times, pans, zooms, saves, redraws = [], [], [], [], []
        with tempfile.TemporaryDirectory() as profile:
            driver = browser(profile)
            for run in range(runs):
                driver.get(url)
                times.append(painted(driver))
            time.sleep(0.5)  # the first view, where names are read
            pans.append(frames_per_second(driver, lambda: pan(driver)))
            zooms.append(frames_per_second(driver, lambda: zoom(driver)))
            driver.find_element(By.ID, "fit").click()  # the whole world
            time.sleep(1)
            pans.append(frames_per_second(driver, lambda: pan(driver)))
            zooms.append(frames_per_second(driver, lambda: zoom(driver)))
            if count <= 1000:
                find = driver.find_element(By.ID, "find")
                for run in range(runs):
                    find.clear()
                    find.send_keys("m3_0", Keys.ENTER)
                    wait(driver, "document.getElementById('panel-title').textContent === 'm3_0'")
                    shown = driver.execute_script("return window.tovrenShown")
                    field = driver.find_element(By.ID, "field-up")
                    field.clear()
                    field.send_keys("x" if run % 2 == 0 else "", Keys.ENTER)
                    wait(driver, "document.getElementById('status').textContent === \"Saved m3_0's Up.\"")
                    wait(driver, f"window.tovrenShown > {shown}")
                    save, redrawn = driver.execute_script(
                        "const m = performance.getEntriesByName('tovren-save').at(-1);"
                        "const shown = performance.getEntriesByName("
                        "`tovren-painted-${window.tovrenShown}`).at(-1) || "
                        "performance.getEntriesByName(`tovren-shown-${window.tovrenShown}`).at(-1);"
                        "return [m.duration, shown.startTime - m.startTime];")
                    saves.append(save)
                    redraws.append(redrawn)
                    time.sleep(0.3)
            driver.quit()
        server.terminate()
        server.wait()
        saved = f"{statistics.median(saves):.0f} ms" if saves else "-"
        redrawn = f"{statistics.median(redraws):.0f} ms" if redraws else "-"
        print(f"{count:>7} {statistics.median(times):>7.0f}ms {pans[0][0]:>8.1f} {pans[0][1]:>7.1f} "
              f"{zooms[0][0]:>9.1f} {zooms[0][1]:>7.1f} {pans[1][0]:>12.1f} {zooms[1][0]:>6.1f} "
              f"{saved:>12} {redrawn:>9}")
