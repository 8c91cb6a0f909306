#!/usr/bin/python3
"""The editor's page in a real browser (Debian's Chromium, headless, driven by Selenium), as a
map builder uses it: choosing a map by keyboard and saving a field, linking two maps by dragging,
cutting a link, a save behind the page's back merged with what was typed or shown beside it, a
merge left unresolved and resolved by choosing a side for each field, undo and redo, a save by
Tovren itself shown live, mending a one-way link and a dangling one, making maps, renaming and
removing a map across the world and undoing both, finding, panning and zooming, the first view
of a larger world, a world drawn at its maps' sizes with its links chosen by their marks, the
server's end, and what a screen reader is given: on a desktop of its own,
what AT-SPI gives a screen reader such as Orca.
The bytes on disk are checked after every save. A screenshot of the page is saved after each
test.

Usage: editorpage_test.py TOVREN_WORLD TOVREN SCREENSHOT_FOLDER [--wine]
With --wine, TOVREN_WORLD is tovren-world.exe, run under Wine, and a map's name is in
Windows-1252 on disk; Tovren's own save is then left to the Linux run."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

parser = argparse.ArgumentParser()
parser.add_argument("world_program")
parser.add_argument("tovren")
parser.add_argument("screenshots")
parser.add_argument("--wine", action="store_true")
options, rest = parser.parse_known_args()
WINE = options.wine
os.environ["LC_ALL"] = "C.UTF-8"
os.environ["WINEDEBUG"] = "-all"
ON_DISK = "cp1252" if WINE else "utf-8"

# The world of every test: a town as tall as two routes, a harbour with a mistyped way on (a
# blank before the name, a mistake on Windows too, where letter case would not be), a shore that
# leads one way, and maps alone.
WORLD = {
    "town": ("", "harbour", "", "route1"),
    "route1": ("", "route2", "town", "city"),
    "route2": ("route1", "", "", ""),
    "city": ("", "", "route1", ""),
    "harbour": ("town", " island", "", ""),  # a blank before it: no such file
    "island": ("", "", "", ""),
    "shore": ("", "", "", "cave"),
    "cave": ("", "", "", ""),
    "Köln": ("", "", "", ""),
}


def link_bytes(texts):
    return b"".join(text.encode(ON_DISK) + b"\r\n" for text in texts)


def saved_over(before, texts):
    """The bytes of a save over a file, as Tovren saves: from its first byte, without emptying
    it, so that a shorter record leaves the end of the longer one after its fourth line."""
    new = link_bytes(texts)
    old = link_bytes(before) if isinstance(before, tuple) else before
    return new + old[len(new):]


def write_world(folder):
    for name in os.listdir(folder):
        if name.endswith(".link"):
            os.remove(os.path.join(folder, name))
    for name, texts in WORLD.items():
        with open(os.path.join(folder, name + ".link"), "wb") as file:
            file.write(link_bytes(texts))


def start_server(folder):
    """tovren-world edit on the folder: the process, and the address of its page."""
    command = ["wine"] * WINE + [os.path.realpath(options.world_program), "edit", "--no-browser", "."]
    server = subprocess.Popen(command, cwd=folder, stdout=subprocess.PIPE, text=True, encoding="utf-8")
    first = server.stdout.readline()
    assert " at http://127.0.0.1:" in first, first
    return server, first.split(" at ")[-1].strip()


def start_display():
    """An X server of its own: the process, and the name of its display."""
    display = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1400x900x24", "-nolisten",
                                "tcp"], stdout=subprocess.PIPE, text=True, stderr=subprocess.DEVNULL)
    return display, ":" + display.stdout.readline().strip()


def stop(process):
    process.terminate()
    process.wait(timeout=20)
    if process.stdout:
        process.stdout.close()


def start_browser(folder, desktop=None):
    """Chromium headless, or on a desktop (its environment) with its accessibility on."""
    browser_options = webdriver.ChromeOptions()
    browser_options.binary_location = "/usr/bin/chromium"
    for argument in ["--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", f"--user-data-dir={folder}",
                     *(["--force-renderer-accessibility"] if desktop else
                       ["--headless=new", "--window-size=1400,900", "--force-color-profile=srgb"])]:
        browser_options.add_argument(argument)
    browser_options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver", env=desktop),
                            options=browser_options)


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp()
        cls.folder = os.path.join(cls.scratch, "maps")
        os.mkdir(cls.folder)
        write_world(cls.folder)
        cls.server, cls.url = start_server(cls.folder)
        cls.browser = start_browser(os.path.join(cls.scratch, "browser"))
        cls.browser.get(cls.url)
        cls.wait_until("window.tovrenShown > 0", 10)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        stop(cls.server)
        shutil.rmtree(cls.scratch)

    @classmethod
    def wait_until(cls, script, seconds=5):
        try:
            WebDriverWait(cls.browser, seconds, poll_frequency=0.05).until(
                lambda browser: browser.execute_script("return " + script))
        except TimeoutException:
            raise AssertionError(f"not within {seconds} s: {script}") from None

    def setUp(self):
        # The page starts every test on the world as written, reloaded, with nothing chosen,
        # once the server has told all it saw of the writing.
        write_world(self.folder)
        self.wait_for_page_world(WORLD)
        self.browser.refresh()
        self.wait_until("window.tovrenShown > 0", 10)
        shown, since = None, time.monotonic()
        while time.monotonic() - since < 0.6:
            now = self.browser.execute_script("return window.tovrenShown")
            if now != shown:
                shown, since = now, time.monotonic()
            time.sleep(0.05)

    def tearDown(self):
        os.makedirs(options.screenshots, exist_ok=True)
        name = ("wine-" if WINE else "") + self.id().split(".")[-1]
        self.browser.save_screenshot(os.path.join(options.screenshots, name + ".png"))

    # ---- What the page and the disk hold -------------------------------------------------------

    def bytes_of(self, name):
        with open(os.path.join(self.folder, name + ".link"), "rb") as file:
            return file.read()

    def write(self, name, texts):  # as any other program writes a file
        with open(os.path.join(self.folder, name + ".link"), "wb") as file:
            file.write(link_bytes(texts))

    def wait_for_page_world(self, world, seconds=5):
        """Until the page shows maps whose links are these (name: up, down, left, right)."""
        for _ in range(int(seconds / 0.05)):
            labels = self.browser.execute_script(
                "return [...document.querySelectorAll('g.map[data-map]')]"
                ".map((b) => b.getAttribute('aria-label'));") if self.browser else []
            if all(any(label.startswith(self.describe(name, texts)) for label in labels)
                   for name, texts in world.items()):
                return
            time.sleep(0.05)
        self.fail(f"the page does not show {world}: {labels}")

    @staticmethod
    def describe(name, texts):
        leads = [f"{d} to {t}" for d, t in zip(("up", "down", "left", "right"), texts) if t]
        return f"{name}; " + (f"leads {', '.join(leads)}" if leads else "leads nowhere")

    def said(self, start):
        self.wait_until(f"document.getElementById('status').textContent.startsWith({json.dumps(start)})")

    def box(self, name):
        return self.browser.execute_script(
            "return [...document.querySelectorAll('g.map[data-map]')]"
            ".find((b) => b.getAttribute('aria-label').startsWith(arguments[0] + ';'));", name)

    def focused(self):
        return self.browser.execute_script(
            "const e = document.activeElement; return e.id || e.getAttribute('aria-label');")

    def keys(self, *keys):
        ActionChains(self.browser).send_keys(*keys).perform()

    def fit(self, key=None):
        """Fits the whole world in view, by the button or by `key`, and waits until the view
        rests there: the fit is animated, and it may not have started when the click returns."""
        if key:
            self.keys(key)
        else:
            self.browser.find_element(By.ID, "fit").click()
        transform = "String(d3.zoomTransform(document.getElementById('viewport')))"
        self.wait_until("(() => { const p = document.querySelector('#stage svg').getBoundingClientRect();"
                        " const v = document.getElementById('viewport').getBoundingClientRect();"
                        " return p.left >= v.left && p.right <= v.right && p.top >= v.top && p.bottom <= v.bottom"
                        " && !document.getElementById('stage').classList.contains('moving'); })()")
        while True:
            before = self.browser.execute_script("return " + transform)
            time.sleep(0.3)
            if self.browser.execute_script("return " + transform) == before:
                return before

    def in_view(self, name):
        return self.browser.execute_script(
            "const r = arguments[0].querySelector('rect.box').getBoundingClientRect();"
            "const v = document.getElementById('viewport').getBoundingClientRect();"
            "return r.left >= v.left && r.top >= v.top && r.right <= v.right && r.bottom <= v.bottom;",
            self.box(name))

    def find(self, name):
        field = self.browser.find_element(By.ID, "find")
        field.clear()
        field.send_keys(name, Keys.ENTER)
        self.wait_until(f"document.getElementById('panel-title').textContent === {json.dumps(name)}")

    # ---- The tests -----------------------------------------------------------------------------

    def test_choose_a_map_by_keyboard_and_save_a_field_with_enter(self):
        self.find("town")
        self.browser.execute_script("document.getElementById('viewport').focus()")
        self.keys(Keys.TAB)
        self.assertTrue(self.focused().startswith("town;"), self.focused())
        self.keys(Keys.ARROW_RIGHT)  # along town's link right: route1
        self.assertTrue(self.focused().startswith("route1;"), self.focused())
        self.keys(Keys.ARROW_UP)  # nothing above it, in the top row of regions: said so
        self.said("Nothing lies above route1.")
        self.keys(Keys.ARROW_DOWN)  # route2
        self.assertTrue(self.focused().startswith("route2;"), self.focused())
        self.keys(Keys.ARROW_RIGHT)  # no link: the nearest map that way, said so
        self.said("route2 leads nowhere right; ")
        self.assertIn("is the nearest map to the right.", self.browser.find_element(By.ID, "status").text)
        self.find("route1")
        self.browser.execute_script("document.getElementById('viewport').focus()")
        self.keys(Keys.TAB)
        self.keys(Keys.ENTER)  # into the panel
        self.assertEqual(self.focused(), "field-up")
        self.keys("north", Keys.ENTER)
        self.said("Saved route1's Up.")
        self.assertEqual(self.bytes_of("route1"), saved_over(WORLD["route1"], ("north", "route2", "town", "city")))

    def drag(self, name, onto, side, said=None):
        """Drags a map's box onto a side of another's (or its middle), as a mouse does; `said`:
        what the status line says before the drop."""
        to = self.browser.execute_script(
            "const r = arguments[0].querySelector('rect.box').getBoundingClientRect();"
            "return {left: [r.left + 3, r.y + r.height / 2], right: [r.right - 3, r.y + r.height / 2],"
            " up: [r.x + r.width / 2, r.top + 3], down: [r.x + r.width / 2, r.bottom - 3],"
            " middle: [r.x + r.width / 2, r.y + r.height / 2]}[arguments[1]];",
            self.box(onto), side)
        mouse = ActionBuilder(self.browser)
        mouse.pointer_action.move_to(self.box(name).find_element(By.CSS_SELECTOR, "rect.box"))
        mouse.pointer_action.pointer_down().move_by(10, 10).move_to_location(round(to[0]), round(to[1]))
        mouse.perform()
        if said:
            self.said(said)
        mouse = ActionBuilder(self.browser)
        mouse.pointer_action.pointer_up()
        mouse.perform()

    def test_link_two_maps_by_dragging_and_ask_before_replacing_a_link(self):
        self.fit()
        # On a map's middle, a drop links nothing, and says where to drop.
        self.drag("cave", onto="town", side="middle", said="Drop cave on a side of town, not its middle")
        self.said("Nothing was linked. Drop cave on a side of town")
        self.assertEqual(self.bytes_of("town"), link_bytes(WORLD["town"]))
        # town leads down to harbour already, which leads back: the page asks first, offering to
        # cut harbour's side too; Cancel changes nothing.
        self.drag("cave", onto="town", side="down", said="Drop: cave below town")
        self.wait_until("document.getElementById('ask').open")  # what it replaces: the node tests'
        self.browser.find_element(By.ID, "ask-no").click()
        self.said("Nothing was linked.")
        self.assertEqual(self.bytes_of("town"), link_bytes(WORLD["town"]))
        self.drag("cave", onto="town", side="down")
        self.wait_until("document.getElementById('ask').open")
        self.assertIn("harbour would still lead up to town", self.browser.find_element(By.ID, "ask-text").text)
        self.browser.find_element(By.ID, "ask-also").click()
        self.said("cave linked below town; harbour's link up to town cut.")
        self.assertEqual(self.bytes_of("town"), saved_over(WORLD["town"], ("", "cave", "", "route1")))
        self.assertEqual(self.bytes_of("cave"), b"town\r\n\r\n\r\n\r\n")
        self.assertEqual(self.bytes_of("harbour"), saved_over(WORLD["harbour"], ("", " island", "", "")))

    def test_cut_a_link_chosen_in_the_picture_with_delete(self):
        # The middle of the line between town and route1.
        point = self.browser.execute_script(
            "const a = arguments[0].querySelector('rect.box').getBoundingClientRect();"
            "const b = arguments[1].querySelector('rect.box').getBoundingClientRect();"
            "return [(a.right + b.left) / 2, a.top + a.height / 2];",
            self.box("town"), self.box("route1"))
        mouse = ActionBuilder(self.browser)
        mouse.pointer_action.move_to_location(round(point[0]), round(point[1])).click()
        mouse.perform()
        self.wait_until("document.querySelector('path.link.selected') !== null")
        self.keys(Keys.DELETE)
        self.said("Cut the link")
        self.assertEqual(self.bytes_of("town"), saved_over(WORLD["town"], ("", "harbour", "", "")))
        # Far out, a click in a box chooses its map, though its link down ends a few pixels away.
        scale = "d3.zoomTransform(document.getElementById('viewport')).k"
        self.browser.execute_script("document.getElementById('viewport').focus()")
        while self.browser.execute_script("return " + scale) > 0.25:
            before = self.browser.execute_script("return " + scale)
            self.keys("-")
            self.wait_until(f"{scale} < {before} && !document.getElementById('stage').classList.contains('moving')")
        middle = self.browser.execute_script(
            "const r = arguments[0].querySelector('rect.box').getBoundingClientRect();"
            "return [r.left + r.width / 2, r.top + r.height / 2];", self.box("town"))
        mouse = ActionBuilder(self.browser)
        mouse.pointer_action.move_to_location(round(middle[0]), round(middle[1])).click()
        mouse.perform()
        self.wait_until("document.getElementById('panel-title').textContent === 'town'")
        self.assertIsNone(self.browser.execute_script("return document.querySelector('path.link.selected')"))

    def test_a_save_behind_the_pages_back_is_kept_and_a_field_both_changed_is_shown(self):
        self.find("route1")
        up = self.browser.find_element(By.ID, "field-up")
        up.send_keys("north")
        theirs = ("", "route2", "town", "coast")
        self.write("route1", theirs)  # behind the page's back, in a field not typed in
        self.wait_until("!document.getElementById('panel-note').hidden")
        self.assertEqual(up.get_attribute("value"), "north")  # kept while the world changed
        up.send_keys(Keys.ENTER)  # saved at once, both changes kept
        self.said("Saved route1's Up; Right had been changed meanwhile to coast, kept.")
        mine = ("north", "route2", "town", "coast")
        self.assertEqual(self.bytes_of("route1"), saved_over(theirs, mine))
        self.wait_for_page_world({"route1": mine})
        up.clear()
        up.send_keys("northwest")
        theirs = ("elsewhere", "cellar", "town", "coast")  # Up changed on both sides
        self.write("route1", theirs)
        self.wait_until("!document.getElementById('panel-note').hidden")
        up.send_keys(Keys.ENTER)
        self.wait_until("!document.getElementById('conflict').hidden")
        rows = self.browser.find_elements(By.CSS_SELECTOR, "#conflict-rows tr")  # only Up's
        self.assertEqual([[cell.text for cell in row.find_elements(By.CSS_SELECTOR, "th, td")] for row in rows],
                         [["Up", "elsewhere", "northwest"]])
        self.assertEqual(self.bytes_of("route1"), link_bytes(theirs))  # nothing saved yet
        self.browser.find_element(By.ID, "conflict-mine").click()
        self.said("Saved route1's Up.")
        self.assertEqual(self.bytes_of("route1"), saved_over(link_bytes(theirs),
                                                             ("northwest", "cellar", "town", "coast")))

    def test_resolve_a_merge_left_unresolved_by_keyboard_a_side_for_each_field(self):
        merged = ("\r\n<<<<<<< ours\r\nisland\r\n=======\r\n\r\n>>>>>>> theirs\r\nshore\r\n"
                  "<<<<<<< ours\r\nKöln\r\n=======\r\nroute2\r\n>>>>>>> theirs\r\n").encode(ON_DISK)
        with open(os.path.join(self.folder, "cave.link"), "wb") as file:
            file.write(merged)
        self.wait_until("[...document.querySelectorAll('g.map[data-map]')].some((b) => b.getAttribute("
                        "'aria-label').startsWith('cave; its link file holds an unresolved merge'))")
        self.find("cave")
        self.assertIn("ours and theirs differ on Down and Right",
                      self.browser.find_element(By.ID, "merge-text").text)
        self.assertEqual([label.text for label in self.browser.find_elements(By.CSS_SELECTOR, "#merge label")],
                         ["Ours: island", "Theirs: (empty)", "Ours: Köln", "Theirs: route2"])
        self.browser.execute_script("document.getElementById('viewport').focus()")
        self.keys(Keys.TAB, Keys.ENTER)  # the map's box, then into the panel: Down's first side
        self.keys(Keys.ARROW_DOWN, Keys.TAB, Keys.SPACE, Keys.TAB, Keys.ENTER)  # theirs, ours, Save
        self.said("Resolved the merge in cave.")
        self.assertEqual(self.bytes_of("cave"), saved_over(merged, ("", "", "shore", "Köln")))
        self.wait_for_page_world({"cave": ("", "", "shore", "Köln")})
        self.assertNotIn("conflict", self.browser.find_element(By.ID, "findings").text)
        self.wait_until("document.activeElement.id === 'field-up'")  # the fields again

    def test_undo_and_redo_only_where_the_files_hold_what_the_page_wrote(self):
        self.find("route2")
        self.browser.find_element(By.ID, "field-right").send_keys("east", Keys.ENTER)
        self.said("Saved route2's Right.")
        saved = saved_over(WORLD["route2"], ("route1", "", "", "east"))
        undone = saved_over(saved, WORLD["route2"])  # written over, as Tovren writes
        self.browser.find_element(By.ID, "viewport").click()  # out of the field
        for keys, expected in ([(Keys.CONTROL, "z"), undone], [(Keys.CONTROL, Keys.SHIFT, "z"), saved],
                               [(Keys.CONTROL, "z"), undone], [(Keys.CONTROL, "y"), saved]):
            chain = ActionChains(self.browser)
            for key in keys[:-1]:
                chain.key_down(key)
            chain.send_keys(keys[-1])
            for key in reversed(keys[:-1]):
                chain.key_up(key)
            chain.perform()
            self.said("Undone" if keys[-1] == "z" and len(keys) == 2 else "Redone")
            self.assertEqual(self.bytes_of("route2"), expected, keys)
        self.write("route2", ("route1", "", "", "west"))  # the file changed since
        self.wait_for_page_world({"route2": ("route1", "", "", "west")})
        ActionChains(self.browser).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
        self.said("Not undone")
        self.assertEqual(self.bytes_of("route2"), link_bytes(("route1", "", "", "west")))

    def test_a_save_by_tovren_shows_up_live(self):
        display, name = start_display()
        self.addCleanup(stop, display)
        environment = dict(os.environ, DISPLAY=name, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=self.scratch)
        tovren = os.path.join(self.folder, "Tovren")  # beside the link files, as it is used
        shutil.copy(options.tovren, tovren)
        self.addCleanup(os.remove, tovren)
        self.find("cave")
        process = subprocess.Popen([tovren], env=environment)
        xdotool = lambda *arguments: subprocess.run(["xdotool", *arguments], env=environment,
                                                    capture_output=True, text=True)
        for _ in range(100):
            if xdotool("search", "--onlyvisible", "--name", "^Link Map to other Maps!$").stdout:
                break
            time.sleep(0.1)
        time.sleep(0.3)
        # Done has the focus: Tab to Up, type, Tab to the map's name, type, Tab to Done.
        xdotool("key", "--delay", "60", "Tab")
        xdotool("type", "--delay", "30", "north")
        xdotool("key", "--delay", "60", "Tab", "Tab", "Tab", "Tab")
        xdotool("type", "--delay", "30", "cave")
        xdotool("key", "--delay", "60", "Tab", "Tab", "space")
        self.assertEqual(process.wait(timeout=20), 0)
        started = time.monotonic()
        self.assertEqual(self.bytes_of("cave"), b"north\r\n\r\n\r\n\r\n")
        self.wait_until("document.getElementById('field-up').value === 'north'", 2)
        self.assertLess(time.monotonic() - started, 1.5)
        self.wait_for_page_world({"cave": ("north", "", "", "")}, 0.1)

    def test_choose_a_finding_and_mend_a_one_way_link_and_a_mistyped_name(self):
        findings = self.browser.find_element(By.ID, "findings")
        findings.find_element(By.XPATH, ".//button[starts-with(., 'error: one-way')]").click()
        self.wait_until("document.getElementById('panel-title').textContent === 'shore'")
        self.assertTrue(self.focused().startswith("shore;"))
        self.assertIn("one-way", self.browser.find_element(By.ID, "map-findings").text)
        findings.find_element(By.XPATH, ".//button[.='Make it lead back']").click()
        self.said("cave leads left to shore now.")
        self.assertEqual(self.bytes_of("cave"), saved_over(WORLD["cave"], ("", "", "shore", "")))
        self.wait_for_page_world({"cave": ("", "", "shore", "")})
        findings.find_element(By.XPATH, ".//button[.='Take island']").click()
        self.said("harbour leads down to island now.")
        self.assertEqual(self.bytes_of("harbour"),
                         saved_over(WORLD["harbour"], ("town", "island", "", "")))

    def test_make_maps_in_view_beside_the_chosen_one_and_never_one_twice(self):
        for name in os.listdir(self.folder):  # an empty folder: the panel says how to begin
            os.remove(os.path.join(self.folder, name))
        self.wait_until("document.getElementById('panel-hint').textContent.includes('New map')")
        write_world(self.folder)
        self.wait_for_page_world(WORLD)
        name = self.browser.find_element(By.ID, "new-name")
        name.send_keys("a/b", Keys.ENTER)
        self.wait_until("document.getElementById('status').textContent.includes('another folder')")
        self.assertEqual(name.get_attribute("value"), "a/b")  # kept, to be put right
        # Made beside the chosen map, in view, and chosen; there still when the layout, which
        # sets the new map's region before route2's, moves route2's.
        self.find("route2")
        name.clear()
        name.send_keys("bridge", Keys.ENTER)
        self.wait_until("document.getElementById('panel-title').textContent === 'bridge'")
        self.assertEqual(self.bytes_of("bridge"), b"\r\n\r\n\r\n\r\n")
        self.wait_for_page_world({"bridge": ("", "", "", "")})
        self.assertTrue(self.in_view("bridge"))
        apart = self.browser.execute_script(
            "const [a, b] = [arguments[0], arguments[1]].map((g) => g.querySelector('rect.box').getBoundingClientRect());"
            "return [(a.x - b.x) / a.width, (a.y - b.y) / a.height];",
            self.box("bridge"), self.box("route2"))
        self.assertTrue(1 < apart[0] < 1.8 and apart[1] == 0, apart)  # the next cell, on its right
        # Undone, it is taken away again: only as it was made.
        self.browser.find_element(By.ID, "undo").click()
        self.said("Undone")
        self.assertFalse(os.path.exists(os.path.join(self.folder, "bridge.link")))
        # A map's name: that map is chosen. One that differs only in letter case is asked about
        # first, and refused where the two are one file.
        name.clear()
        name.send_keys("town", Keys.ENTER)
        self.said("town is a map of the world already: it is chosen.")
        self.wait_until("document.getElementById('panel-title').textContent === 'town'")
        name.clear()
        name.send_keys("Town", Keys.ENTER)
        if WINE:
            self.said("Town would be the link file of town")
            self.assertNotIn("Town.link", os.listdir(self.folder))
        else:
            self.wait_until("document.getElementById('ask').open")
            self.assertIn("differs from the map town only in letter case", self.browser.find_element(By.ID, "ask-text").text)
            self.browser.find_element(By.ID, "ask-yes").click()
            self.wait_until("document.getElementById('panel-title').textContent === 'Town'")
            self.assertEqual(self.bytes_of("Town"), b"\r\n\r\n\r\n\r\n")
            self.wait_for_page_world({"Town": ("", "", "", "")})
            WebDriverWait(self.browser, 5).until(lambda _: self.in_view("Town"))

    def test_a_larger_world_opens_with_its_names_read_and_every_label_inside(self):
        # 57 maps more, the largest region: a grid whose top row wraps around, from its first
        # map in the left column.
        names = [f"{kind}{number}" for number in range(101, 135) for kind in ["Route"]] + \
            [f"{town}Town" for town in ["Littleroot", "Oldale", "Dewford", "Lavaridge", "Fallarbor",
                                        "Verdanturf", "Pacifidlog"]] + \
            [f"{city}City" for city in ["Petalburg", "Slateport", "Mauville", "Rustboro", "Fortree",
                                        "Lilycove", "Mossdeep", "Sootopolis", "EverGrande", "Ashenvale"]] + \
            ["SafariZone", "VictoryRoad", "MeteorFalls", "SkyPillar", "SeafloorCavernEntrance", "MtChimney"]
        at = {name: (index % 8, index // 8) for index, name in enumerate(names)}
        by_place = {place: name for name, place in at.items()}
        for name, (x, y) in at.items():
            texts = [by_place.get((x, y - 1), ""), by_place.get((x, y + 1), ""),
                     by_place.get((x - 1, y), ""), by_place.get((x + 1, y), "")]
            if y == 0 and x in (0, 7):  # the top row leads on around
                texts[2 if x == 0 else 3] = by_place[(7 if x == 0 else 0, 0)]
            self.write(name, texts)
        self.wait_for_page_world({"MtChimney": (by_place[(0, 6)], "", "", "")})
        self.browser.refresh()
        self.wait_until("window.tovrenShown > 0", 10)
        seen = self.browser.execute_script("""
            const k = d3.zoomTransform(document.getElementById('viewport')).k;
            const view = document.getElementById('viewport').getBoundingClientRect();
            return [...document.querySelectorAll('g.map[data-map] > text.name')].filter((t) => {
                const r = t.getBoundingClientRect();
                return r.right > view.left && r.left < view.right && r.bottom > view.top && r.top < view.bottom;
            }).map((t) => [t.textContent, parseFloat(getComputedStyle(t).fontSize) * k]);""")
        self.assertGreaterEqual(len(seen), 12, seen)
        self.assertTrue(all(size >= 11 and text for text, size in seen), seen)
        self.assertTrue(any(name in (text for text, _ in seen) for name in names), seen)
        outside = self.browser.execute_script("""
            const svg = document.querySelector('#stage svg');
            const [width, height] = [Number(svg.getAttribute('width')), Number(svg.getAttribute('height'))];
            return [...svg.querySelectorAll('text')].map((t) => [t.textContent, t.getBBox()])
                .filter(([, b]) => b.x < 0 || b.y < 0 || b.x + b.width > width || b.y + b.height > height)
                .map(([text, b]) => [text, b.x, b.y, b.width, b.height, width, height]);""")
        self.assertEqual(outside, [])
        self.assertTrue(self.browser.execute_script(
            "return document.querySelector('g.wrap[data-direction=\"left\"]') !== null"))

    def test_a_map_outside_the_folder_is_shown_read_only_saying_why(self):
        # Reloaded for every test, the page has the token from the tab, not from its address, and
        # its look from its own stylesheet, the only style its policy lets in.
        self.assertNotIn("token", self.browser.current_url)
        self.assertEqual(self.browser.execute_script(
            "return getComputedStyle(document.querySelector('g.map rect.box')).fill"),
            "rgb(234, 242, 255)")
        os.makedirs(os.path.join(self.scratch, "elsewhere"), exist_ok=True)
        with open(os.path.join(self.scratch, "elsewhere", "far.link"), "wb") as file:
            file.write(link_bytes(("", "", "", "")))
        self.write("cave", ("", "", "", "../elsewhere/far"))
        self.wait_for_page_world({"cave": ("", "", "", "../elsewhere/far")})
        self.find("../elsewhere/far")
        self.assertFalse(self.browser.find_element(By.ID, "field-up").is_enabled())
        self.assertIn("lies outside the folder that this editor edits",
                      self.browser.find_element(By.ID, "panel-note").text)

    def test_rename_and_remove_a_map_across_the_world_shown_first_and_undo_both(self):
        # town: route1 leads left to it, harbour up. By keyboard: its new name, Enter, agreed.
        self.find("town")
        self.browser.find_element(By.ID, "rename-to").send_keys("forest", Keys.ENTER)
        self.wait_until("document.getElementById('ask').open")
        self.assertEqual([item.text for item in self.browser.find_elements(By.CSS_SELECTOR, "#ask-list li")],
                         ["town.link becomes forest.link", "harbour leads up to forest instead of town",
                          "route1 leads left to forest instead of town"])
        self.assertEqual(self.focused(), "ask-no")
        ActionChains(self.browser).key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT).perform()
        self.keys(Keys.ENTER)
        self.said("Renamed town to forest.")
        route1 = saved_over(WORLD["route1"], ("", "route2", "forest", "city"))
        self.assertEqual(self.bytes_of("forest"), link_bytes(WORLD["town"]))
        self.assertEqual(self.bytes_of("route1"), route1)
        self.assertEqual(self.bytes_of("harbour"), saved_over(WORLD["harbour"], ("forest", " island", "", "")))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "town.link")))
        self.wait_until("document.getElementById('panel-title').textContent === 'forest'")
        self.browser.find_element(By.ID, "undo").click()  # renamed back
        self.said("Undone")
        self.assertEqual(self.bytes_of("route1"), saved_over(route1, WORLD["route1"]))
        self.assertFalse(os.path.exists(os.path.join(self.folder, "forest.link")))
        # city, which route1 leads right to: Cancel changes nothing; Remove empties the field.
        self.find("city")
        for answer, said in (("ask-no", "Nothing was removed."), ("ask-yes", "Removed city.")):
            self.browser.find_element(By.ID, "remove").click()
            self.wait_until("document.getElementById('ask').open")
            self.assertEqual([item.text for item in self.browser.find_elements(By.CSS_SELECTOR, "#ask-list li")],
                             ["route1 no longer leads right to city", "city's link file is removed"])
            self.browser.find_element(By.ID, answer).click()
            self.said(said)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "city.link")))
        emptied = saved_over(saved_over(route1, WORLD["route1"]), ("", "route2", "town", ""))
        self.assertEqual(self.bytes_of("route1"), emptied)
        self.browser.find_element(By.ID, "undo").click()  # made again, and led to again
        self.said("Undone")
        self.assertEqual(self.bytes_of("city"), link_bytes(WORLD["city"]))
        self.assertEqual(self.bytes_of("route1"), saved_over(emptied, WORLD["route1"]))

    def test_pan_zoom_fit_and_find(self):
        # Nothing the page did so far was refused by its own policy (the picture's style included).
        refused = [entry["message"] for entry in self.browser.get_log("browser")
                   if "Content Security Policy" in entry["message"]]
        self.assertEqual(refused, [])
        transform = "String(d3.zoomTransform(document.getElementById('viewport')))"
        first = self.browser.execute_script("return " + transform)
        self.browser.execute_script("document.getElementById('viewport').focus()")
        self.keys("+")
        self.wait_until(f"{transform} !== {json.dumps(first)}")
        self.keys(Keys.ARROW_LEFT)
        moved = self.browser.execute_script("return d3.zoomTransform(document.getElementById('viewport')).x")
        self.keys(Keys.ARROW_RIGHT)
        self.assertNotEqual(moved, self.browser.execute_script(
            "return d3.zoomTransform(document.getElementById('viewport')).x"))
        fitted = self.fit(key="0")
        ActionChains(self.browser).scroll_from_origin(ScrollOrigin.from_element(
            self.browser.find_element(By.ID, "viewport")), 0, -300).perform()  # the wheel zooms in
        self.wait_until(f"{transform} !== {json.dumps(fitted)}")
        # Finding a map says what it found; the bar above stays as it is, on one row.
        self.addCleanup(self.browser.set_window_size, 1400, 900)
        field = self.browser.find_element(By.ID, "find")
        bar = "[document.querySelector('.bar').offsetHeight, document.getElementById('viewport').getBoundingClientRect().top]"
        for width in (1280, 1920):
            self.browser.set_window_size(width, 900)
            field.clear()
            before = self.browser.execute_script("return " + bar)
            field.send_keys("rout", Keys.ENTER)
            self.wait_until("document.getElementById('found').textContent === '1 of 2: route1'")
            field.send_keys(Keys.ENTER)
            self.wait_until("document.getElementById('found').textContent === '2 of 2: route2'")
            self.assertEqual(self.browser.execute_script("return " + bar), before, width)
            self.assertLess(before[0], 60, width)  # one row
        self.assertTrue(self.in_view("route2"))

    def test_when_the_server_ends_the_page_says_so_at_once(self):
        stop(self.server)
        self.said("The editor's server has ended")
        cls = type(self)  # a server again, for the tests after this one
        cls.server, cls.url = start_server(self.folder)
        self.browser.get(cls.url)
        self.wait_until("window.tovrenShown > 0", 10)


# What a screen reader such as Orca reads of the page: AT-SPI's tree, as Chromium gives it to the
# desktop, walked by a process on the accessibility bus.
READ_AS_A_SCREEN_READER = """
import json, time, pyatspi
desktop = pyatspi.Registry.getDesktop(0)
seen = []
def walk(node, depth):
    if node is None or depth > 40 or len(seen) > 5000:
        return
    seen.append([node.getRoleName(), node.name])
    for at in range(node.childCount):
        walk(node.getChildAtIndex(at), depth + 1)
for _ in range(100):
    seen.clear()
    for at in range(desktop.childCount):
        application = desktop.getChildAtIndex(at)
        if application is not None and application.name == "Chromium":
            walk(application, 0)
    if ["heading", "town"] in seen:
        break
    time.sleep(0.1)
print(json.dumps(seen))
"""


class PageAtSizes(unittest.TestCase):
    """A world whose maps have Tiled maps, drawn at their sizes: a drawn above b, b twice as wide
    as a; b leads down to c, which does not lead back."""

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp()
        folder = os.path.join(cls.scratch, "maps")
        os.mkdir(folder)
        for name, texts, (width, height) in [("a", ("", "b", "", ""), (20, 15)),
                                             ("b", ("a", "c", "", ""), (40, 15)),
                                             ("c", ("", "", "", ""), (20, 30))]:
            with open(os.path.join(folder, name + ".link"), "wb") as file:
                file.write(link_bytes(texts))
            with open(os.path.join(folder, name + ".tmx"), "w", encoding="utf-8") as file:
                file.write(f'<map version="1.10" orientation="orthogonal" width="{width}" height="{height}" '
                           'tilewidth="16" tileheight="16" infinite="0"></map>\n')
        cls.server, url = start_server(folder)
        cls.browser = start_browser(os.path.join(cls.scratch, "browser"))
        cls.browser.get(url)
        Page.wait_until.__func__(cls, "window.tovrenShown > 0", 10)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        stop(cls.server)
        shutil.rmtree(cls.scratch)

    def click(self, script, *arguments):
        """A click at the point of the page that `script` returns, [x, y]."""
        point = self.browser.execute_script("return " + script, *arguments)
        mouse = ActionBuilder(self.browser)
        mouse.pointer_action.move_to_location(round(point[0]), round(point[1])).click()
        mouse.perform()

    def test_a_link_chosen_beside_its_mark_across_two_maps_and_a_map_by_a_click_in_it(self):
        wait_until = Page.wait_until.__func__
        mark = "document.querySelector('path.link.mark[data-map=\"0\"]')"  # a's link down to b
        wait_until(type(self), f"{mark} !== null")
        self.assertEqual(self.browser.execute_script(  # the links over the maps
            "return [...document.querySelector('#stage svg').children].map((e) => e.getAttribute('class'))"
            ".filter((c) => c === 'maps' || c === 'links')"), ["maps", "links"])
        self.assertIsNotNone(self.browser.execute_script(
            "return document.querySelector('path.link.one-way.mark[data-map=\"1\"][marker-end]')"))
        # Beside the mark, inside a's box: the link; in the middle of b's box: b.
        self.click(f"(() => {{ const r = {mark}.getBoundingClientRect();"
                   " return [r.left + r.width / 2 + 3, r.top + 2]; })()")
        wait_until(type(self), f"{mark}.classList.contains('selected')")
        self.assertEqual(self.browser.find_element(By.ID, "panel-title").text, "a")
        self.click("(() => { const r = document.querySelector('g.map[data-map=\"1\"] rect.box')"
                   ".getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        wait_until(type(self), "document.getElementById('panel-title').textContent === 'b'")
        self.assertIsNone(self.browser.execute_script("return document.querySelector('path.link.selected')"))


class ScreenReader(unittest.TestCase):
    """The page in Chromium on a desktop (an X server of its own), read through AT-SPI."""

    def test_a_screen_reader_reads_each_map_its_links_and_faults_and_the_labelled_fields(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        display, name = start_display()
        self.addCleanup(stop, display)
        bus = dict(line.split("=", 1) for line in subprocess.run(
            ["dbus-launch"], capture_output=True, text=True, check=True).stdout.split())
        self.addCleanup(subprocess.run, ["kill", bus["DBUS_SESSION_BUS_PID"]], capture_output=True)
        environment = dict(os.environ, DISPLAY=name, DBUS_SESSION_BUS_ADDRESS=bus["DBUS_SESSION_BUS_ADDRESS"],
                           ACCESSIBILITY_ENABLED="1", XDG_RUNTIME_DIR=scratch)
        # As a screen reader starting says to the desktop: accessibility is wanted.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                        "string:org.a11y.Status", "string:IsEnabled", "variant:boolean:true"],
                       env=environment, check=True, capture_output=True)
        folder = os.path.join(scratch, "maps")
        os.mkdir(folder)
        write_world(folder)
        server, url = start_server(folder)
        self.addCleanup(stop, server)
        browser = start_browser(f"{scratch}/browser", desktop=environment)
        self.addCleanup(browser.quit)
        browser.get(url)
        WebDriverWait(browser, 10).until(lambda b: b.execute_script("return window.tovrenShown"))
        browser.find_element(By.ID, "find").send_keys("town", Keys.ENTER)
        read = json.loads(subprocess.run(["/usr/bin/python3", "-c", READ_AS_A_SCREEN_READER],
                                         env=environment, capture_output=True, text=True,
                                         check=True, timeout=60).stdout)
        roles = {}
        for role, name in read:
            roles.setdefault(role, []).append(name)
        self.assertIn("Maps of the world", roles.get("list box", []), read)
        items = roles.get("list item", [])
        for name in WORLD:
            self.assertTrue(any(item.startswith(name + ";") for item in items), (name, items))
        self.assertIn("shore; leads right to cave; error: shore leads right to cave, but cave "
                      "leads nowhere left", items)
        self.assertTrue({"Up", "Down", "Left", "Right", "Find a map", "New map", "Rename to"} <=
                        set(roles.get("entry", [])), roles.get("entry"))
        self.assertIn("town", roles.get("heading", []))
        self.assertIn("Findings", roles.get("heading", []))
        self.assertTrue(any(name.startswith('error: dangling: harbour leads down to " island"')
                            for name in roles.get("push button", [])), roles.get("push button"))


# The Wine run tests the page against tovren-world.exe; Tovren's own save shown live, the page
# when the server has ended, and the page read by a screen reader are the same there, and are
# tests of the Linux run only.
if WINE:
    del Page.test_a_save_by_tovren_shows_up_live
    del Page.test_when_the_server_ends_the_page_says_so_at_once
    del ScreenReader

if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
