#!/usr/bin/env python3
"""tovren-world edit as its page and a script talk to it, over HTTP from here: reading the world,
a save with Tovren's own bytes on disk, events for changes made by other programs, the server's
own refusals of requests, slow and many clients beside a working one, and the end after the last
page and on SIGTERM. What each request is answered is the unit tests' (tests/worldtool).

Usage: editserver_test.py TOVREN_WORLD
With --wine, TOVREN_WORLD is tovren-world.exe, run under Wine, a map's name is in Windows-1252,
and SIGTERM, of which a Windows program under Wine is not told, is left out."""
import argparse
import fcntl
import http.client
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

parser = argparse.ArgumentParser()
parser.add_argument("program")
parser.add_argument("--wine", action="store_true")
options, rest = parser.parse_known_args()
WINE = options.wine
PROGRAM = os.path.realpath(options.program)
os.environ["LC_ALL"] = "C.UTF-8"
os.environ["WINEDEBUG"] = "-all"


def record(up="", down="", left="", right=""):
    return {"up": up, "down": down, "left": left, "right": right}


def link_bytes(links, encoding="utf-8"):
    return b"".join(links[d].encode(encoding) + b"\r\n" for d in ("up", "down", "left", "right"))


class Server:
    """One tovren-world edit on a folder, and the ways to talk to it."""

    def __init__(self, folder, *arguments, browser=None):
        """browser: an environment in which to open the browser, instead of --no-browser."""
        command = ["wine", PROGRAM] if WINE else [PROGRAM]
        self.folder = folder
        if browser is None:
            arguments = ("--no-browser", *arguments)
        self.process = subprocess.Popen(command + ["edit", *arguments, "."], env=browser,
                                        cwd=folder, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, encoding="utf-8")
        self.first_line = self.process.stdout.readline().strip()
        prefix = "Editing the world of "
        assert self.first_line.startswith(prefix) and " at http://127.0.0.1:" in self.first_line, \
            self.first_line + self.process.stderr.read()
        self.url = self.first_line.split(" at ")[-1]
        self.port = int(self.url.split(":")[2].split("/")[0])
        self.token = self.url.split("token=")[1]
        assert len(self.token) >= 32, self.token
        self.host = f"127.0.0.1:{self.port}"

    def request(self, method, path, body=None, headers=None, token="query", host=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        headers = dict(headers or {})
        if token == "query":
            path += ("&" if "?" in path else "?") + "token=" + self.token
        elif token == "header":
            headers["Tovren-Token"] = self.token
        if isinstance(body, (dict, list)):
            body = json.dumps(body).encode()
            headers.setdefault("Content-Type", "application/json")
        connection.putrequest(method, path, skip_host=True)
        connection.putheader("Host", host or self.host)
        for name, value in headers.items():
            connection.putheader(name, value)
        if body is not None:
            connection.putheader("Content-Length", str(len(body)))
        try:
            connection.endheaders(body)
        except (BrokenPipeError, ConnectionResetError):
            pass  # refused before the whole body went: the answer is there all the same
        response = connection.getresponse()
        data = response.read()
        connection.close()
        return response.status, response, data

    def json(self, method, path, body=None, **arguments):
        status, response, data = self.request(method, path, body, **arguments)
        return status, json.loads(data) if data else None

    def world(self):
        status, document = self.json("GET", "/api/world")
        assert status == 200, (status, document)
        return document

    def save(self, *saves):
        return self.json("POST", "/api/save", {"saves": list(saves)}, token="header")

    def events(self):
        return EventStream(self)

    def end(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(timeout=20)
        self.process.stdout.close()
        self.process.stderr.close()
        return status


class EventStream:
    """The page's stream of events, read line by line."""

    def __init__(self, server):
        self.socket = socket.create_connection(("127.0.0.1", server.port), timeout=5)
        self.socket.sendall(f"GET /api/events?token={server.token} HTTP/1.1\r\n"
                            f"Host: {server.host}\r\nAccept: text/event-stream\r\n\r\n".encode())
        self.buffer = b""
        head = self._until(b"\r\n\r\n")
        assert head.startswith(b"HTTP/1.1 200") and b"text/event-stream" in head, head

    def _until(self, mark):
        while mark not in self.buffer:
            data = self.socket.recv(4096)
            if not data:
                raise EOFError("the stream ended")
            self.buffer += data
        head, self.buffer = self.buffer.split(mark, 1)
        return head

    def next_world(self, timeout):
        """The version of the next event "world" within so many seconds."""
        self.socket.settimeout(timeout)
        while True:
            block = self._until(b"\n\n").decode()
            if block.startswith("event: world"):
                return json.loads(block.split("data: ", 1)[1])["version"]

    def close(self):
        self.socket.close()


class EditServer(unittest.TestCase):
    folder = None
    server = None

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()
        cls.server = None

    @classmethod
    def tearDownClass(cls):
        if cls.server:
            cls.server.end()
        shutil.rmtree(cls.folder)

    def setUp(self):
        for name in os.listdir(self.folder):
            os.remove(os.path.join(self.folder, name))
        self.write("map1", record(right="map2"))
        self.write("map2", record(left="map1"))
        self.write(self.accented, record(down="map1"), "cp1252" if WINE else "utf-8")
        if EditServer.server is None:
            EditServer.server = Server(self.folder)
        else:
            self.settled()

    accented = "Köln"

    def path(self, name):
        return os.path.join(self.folder, name + ".link")

    def write(self, name, links, encoding="utf-8"):
        with open(self.path(name), "wb") as file:
            file.write(link_bytes(links, encoding))

    def bytes_of(self, name):
        with open(self.path(name), "rb") as file:
            return file.read()

    def settled(self):
        """Until the server has read what setUp wrote."""
        wanted = [("Köln", "", "map1", "", ""), ("map1", "", "", "", "map2"),
                  ("map2", "", "", "map1", "")]
        for _ in range(50):
            world = self.server.world()
            if [(m["name"], m["up"], m["down"], m["left"], m["right"])
                    for m in world["maps"]] == wanted:
                return
            time.sleep(0.1)
        self.fail("the server never saw the world of setUp: " + json.dumps(world["maps"]))

    def test_reads_the_world_and_its_picture_and_saves_as_tovren_saves(self):
        world = self.server.world()
        self.assertEqual([m["name"] for m in world["maps"]], ["Köln", "map1", "map2"])
        status, response, picture = self.server.request("GET", "/api/picture")
        self.assertIn("<title>Köln</title>".encode(), picture)
        self.assertEqual(int(response.getheader("Tovren-Version")), world["version"])
        status, answer = self.server.save({"map": self.accented, "expect": record(down="map1"),
                                           "links": record("", "map1", "", "Düsseldorf")})
        self.assertEqual((status, answer["results"]), (200, [{"map": "Köln", "saved": True}]))
        self.assertGreater(answer["version"], world["version"])
        self.assertEqual(self.bytes_of(self.accented),  # in the code page of the host
                         "\r\nmap1\r\n\r\nDüsseldorf\r\n".encode("cp1252" if WINE else "utf-8"))
        self.assertEqual(self.server.world()["maps"][0]["right"], "Düsseldorf")
        status, _, page = self.server.request("GET", "/", token=None)  # needs no token, holds none
        self.assertEqual(status, 200)
        self.assertNotIn(self.server.token.encode(), page)

    def test_tells_a_change_on_disk_within_a_second(self):
        events = self.server.events()
        try:
            first = events.next_world(5)
            self.write("map2", record(left="map1", up="north"))  # as another program writes it
            started = time.monotonic()
            self.assertGreater(events.next_world(1.0), first)
            self.assertLess(time.monotonic() - started, 1.0)
            self.assertEqual(self.server.world()["maps"][2]["up"], "north")
            merge = b"<<<<<<< ours\r\nnorth\r\n=======\r\n%s\r\n>>>>>>> theirs\r\n\r\nmap1\r\n\r\n"
            for version, theirs in ((first + 2, b"south"), (first + 3, b"west")):  # and another
                with open(self.path("map2"), "wb") as file:
                    file.write(merge % theirs)
                self.assertGreaterEqual(events.next_world(1.0), version)
            self.assertIn(("conflict", "map2"),
                          [(f["kind"], f["map"]) for f in self.server.world()["findings"]])
            os.remove(self.path("map2"))  # and a file that goes
            self.assertGreater(events.next_world(1.0), first + 3)
            self.assertNotIn("map2", [m["name"] for m in self.server.world()["maps"]])
        finally:
            events.close()

    def test_refuses_everyone_but_the_person_at_this_machine(self):
        # Every refusal is a unit test's; here, through the server's own reading of requests.
        server = self.server
        for what, request, expected in [
            ("no token", dict(method="GET", path="/api/world", token=None), 403),
            ("a rebound name", dict(method="GET", path="/api/world",
                                    host=f"evil.example:{server.port}"), 403),
            ("too large", dict(method="POST", path="/api/save", body=b"x" * (1024 * 1024 + 1),
                               headers={"Content-Type": "application/json"}), 413)]:
            status, response, data = server.request(**request)
            self.assertEqual(status, expected, what)
            self.assertTrue(json.loads(data)["error"].endswith("."), (what, data))
        self.assertEqual(server.request("GET", "/api/world", token="header")[0], 200)
        with socket.create_connection(("127.0.0.1", server.port), timeout=5) as raw:
            raw.sendall(f"POST /api/save?token={server.token} HTTP/1.1\r\nHost: {server.host}\r\n"
                        "Content-Length: -1\r\n\r\n".encode())
            self.assertTrue(raw.recv(4096).startswith(b"HTTP/1.1 400 "))

    def test_answers_at_once_while_a_save_waits_for_files_that_others_hold(self):
        held = [open(self.path(name), "r+b") for name in ("map1", "map2", self.accented)]
        for file in held:  # as another program's save holds them: a load waits 2 s for each
            fcntl.flock(file, fcntl.LOCK_EX)
        saving = threading.Thread(target=self.server.save, args=(
            {"map": "map1", "expect": record(right="map2"), "links": record()},
            {"map": "map2", "expect": record(left="map1"), "links": record()},
            {"map": self.accented, "expect": record(down="map1"), "links": record()}))
        saving.start()
        try:
            time.sleep(0.3)
            for _ in range(10):
                started = time.monotonic()
                self.assertEqual(self.server.request("GET", "/api/world")[0], 200)
                self.assertLess(time.monotonic() - started, 0.1)
        finally:
            for file in held:
                file.close()
            saving.join()

    def test_slow_and_many_clients_hold_up_no_one_and_idle_ones_time_out(self):
        server = self.server
        many = 200 if WINE else 1000
        idle = [socket.create_connection(("127.0.0.1", server.port)) for _ in range(many)]
        slow = socket.create_connection(("127.0.0.1", server.port))
        stop = threading.Event()

        def dribble():  # one byte a second, for ever
            request = f"GET /api/world?token={server.token} HTTP/1.1\r\nHost: {server.host}\r\n"
            for byte in request.encode() * 10:
                if stop.wait(1):
                    return
                try:
                    slow.send(bytes([byte]))
                except OSError:
                    return
        threading.Thread(target=dribble, daemon=True).start()
        events = server.events()
        try:
            events.next_world(5)
            for _ in range(3):
                started = time.monotonic()
                self.assertEqual(server.request("GET", "/api/world")[0], 200)
                self.assertLess(time.monotonic() - started, 1.0)
                time.sleep(1)
            started = time.monotonic()
            status, answer = server.save({"map": "fresh", "expect": None, "links": record()})
            self.assertEqual(status, 200, answer)
            self.assertLess(time.monotonic() - started, 1.0)
            self.assertGreater(events.next_world(1.0), 0)  # and the page hears of it
            # Connections that send no whole request within 30 s are closed.
            deadline = time.monotonic() + 40
            for connection in [slow, *idle]:
                connection.settimeout(max(0.1, deadline - time.monotonic()))
                try:
                    self.assertEqual(connection.recv(1), b"")
                except ConnectionResetError:
                    pass
        finally:
            stop.set()
            events.close()
            for connection in [slow, *idle]:
                connection.close()


class OwnServer(unittest.TestCase):
    """Each test with a server of its own, on a folder of its own."""

    def setUp(self):
        self.root = self.folder = tempfile.mkdtemp()
        self.server = None

    def tearDown(self):
        if self.server:
            self.server.end()
        shutil.rmtree(self.root)

    def start(self, *arguments, **options):
        self.server = Server(self.folder, *arguments, **options)
        return self.server

    def write(self, name, links):
        with open(os.path.join(self.folder, name + ".link"), "wb") as file:
            file.write(link_bytes(links))


class TheEnd(OwnServer):
    """The end: 30 s after its last page has gone (a reload within that time keeps it), 2 minutes
    after it started if no page came, whatever was refused meanwhile, and at once on SIGTERM or
    SIGHUP, after the save in progress."""

    def test_ends_after_its_last_page_has_gone_but_not_on_a_reload(self):
        server = self.start()
        page = server.events()
        page.next_world(5)
        page.close()
        time.sleep(20)
        page = server.events()  # a reload, 20 s later
        page.next_world(5)
        gone = time.monotonic()
        page.close()
        time.sleep(20)
        self.assertIsNone(server.process.poll(), "ended while a reload was in time")
        self.assertEqual(server.process.wait(timeout=20), 0)
        self.assertGreater(time.monotonic() - gone, 29)
        self.assertIn("The editor has ended.", server.process.stdout.read())

    def test_a_refused_request_is_no_page(self):
        server = self.start()
        self.assertEqual(server.request("GET", "/api/world", token=None)[0], 403)
        time.sleep(35)
        self.assertIsNone(server.process.poll(), "ended 30 s after a refused request")

    def test_ends_at_once_on_sigterm(self):
        server = self.start()
        page = server.events()
        page.next_world(5)
        started = time.monotonic()
        self.assertEqual(server.end(), 0)
        self.assertLess(time.monotonic() - started, 2)
        page.close()

    def test_sighup_ends_it_after_the_save_in_progress(self):
        names = [f"m{n:04}" for n in range(1500)]
        for name in names:
            self.write(name, record())
        server = self.start()
        answer = []
        saving = threading.Thread(target=lambda: answer.append(server.save(
            *({"map": name, "expect": record(), "links": record(up="north")} for name in names))))
        saving.start()
        time.sleep(0.15)
        server.process.send_signal(signal.SIGHUP)
        self.assertEqual(server.process.wait(timeout=60), 0)
        saving.join()
        self.assertEqual(answer[0][0], 200, answer)
        self.assertIn("The editor has ended.", server.process.stdout.read())
        for name in names:
            with open(os.path.join(self.folder, name + ".link"), "rb") as file:
                self.assertEqual(file.read(), b"north\r\n\r\n\r\n\r\n", name)


class Streams(OwnServer):
    """Pages that do not behave, links files that are not, folders that go, and the browser."""

    def test_a_page_that_never_reads_is_closed(self):
        self.write("map1", record())
        server = self.start()
        page = socket.socket()
        page.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1024)
        page.connect(("127.0.0.1", server.port))
        page.sendall(f"GET /api/events?token={server.token} HTTP/1.1\r\n"
                     f"Host: {server.host}\r\n\r\n".encode())
        for turn in range(1500):  # each a new version
            status, answer = server.save(
                {"map": "map1", "expect": record(up=str(turn - 1) if turn else ""),
                 "links": record(up=str(turn))})
            self.assertEqual(status, 200, answer)
        time.sleep(31)
        page.settimeout(10)
        while page.recv(65536):
            pass  # what the system held for it, then the end

    def test_a_link_file_of_256_mib_without_a_line_end_takes_little_memory(self):
        server = self.start()

        def peak():  # in kB, of the server's whole life
            with open(f"/proc/{server.process.pid}/status") as status:
                return next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
        before = peak()
        with open(os.path.join(self.folder, "big.link"), "wb") as file:
            file.truncate(256 << 20)
        for _ in range(50):  # read again as it changes
            findings = server.world()["findings"]
            if findings:
                break
            time.sleep(0.1)
        self.assertEqual((findings[0]["kind"], findings[0]["map"]), ("unreadable", "big"))
        self.assertTrue(findings[0]["message"].endswith(
            "(larger than any link file: its first four lines do not end within 1 MiB)"))
        self.assertLess(peak() - before, 64 * 1024, "kB at the most")

    def test_a_folder_moved_away_is_told_gone_and_one_made_anew_is_watched(self):
        self.folder = os.path.join(self.root, "maps")
        os.mkdir(self.folder)
        self.write("map1", record())
        server = self.start()
        page = server.events()
        first = page.next_world(5)
        os.rename(self.folder, self.folder + "-away")
        self.assertGreater(page.next_world(3), first)
        world = server.world()
        self.assertIn("gone", world["gone"])
        status, answer = server.save({"map": "map1", "expect": record(), "links": record(up="x")})
        self.assertEqual((status, answer["error"]), (409, world["gone"]))
        os.mkdir(self.folder)
        self.write("map2", record())
        page.next_world(3)
        self.assertEqual([m["name"] for m in server.world()["maps"]], ["map2"])
        status, answer = server.save({"map": "map2", "expect": record(), "links": record(up="x")})
        self.assertEqual(status, 200, answer)
        page.close()

    def test_opens_the_browser_on_a_page_that_only_its_owner_may_read(self):
        recorder = os.path.join(self.root, "bin")
        os.mkdir(recorder)
        log = os.path.join(self.root, "opened")
        for name in ("xdg-open", "browser"):  # record what they are given, and what it holds
            with open(os.path.join(recorder, name), "w") as script:
                script.write(f'#!/bin/sh\necho "$0 $*" >>{log}\n'
                             f'stat -c %a "$1" "$(dirname "$1")" | tr "\\n" " " >>{log}\n'
                             f'echo >>{log}\ncat "$1" >>{log}\n')
            os.chmod(os.path.join(recorder, name), 0o755)
        server = self.start(browser=dict(os.environ, PATH=recorder + ":" + os.environ["PATH"],
                                         BROWSER=os.path.join(recorder, "browser")))
        for _ in range(50):
            if os.path.exists(log) and server.url in open(log).read():
                break
            time.sleep(0.1)
        with open(log) as lines:
            opened, modes, page = lines.read().split("\n", 2)
        self.assertNotIn(server.token, opened)
        self.assertEqual(modes.split(), ["600", "700"])  # the page, and its folder
        self.assertIn(server.url, page)  # the page passes the browser on to the address
        page_file = opened.split()[1]
        server.end()
        self.server = None
        self.assertFalse(os.path.exists(os.path.dirname(page_file)))


# A Windows program under Wine is not told of signals, Linux's file locks hold no Windows program
# and Wine's memory is not the program's: those are tests of the Linux run only.
if WINE:
    for owner, test in [
            (TheEnd, "test_ends_at_once_on_sigterm"), (TheEnd, "test_a_refused_request_is_no_page"),
            (TheEnd, "test_sighup_ends_it_after_the_save_in_progress"),
            (Streams, "test_a_link_file_of_256_mib_without_a_line_end_takes_little_memory"),
            (Streams, "test_opens_the_browser_on_a_page_that_only_its_owner_may_read"),
            (EditServer, "test_answers_at_once_while_a_save_waits_for_files_that_others_hold")]:
        delattr(owner, test)

if __name__ == "__main__":
    # The long waits of TheEnd and Streams go on beside the rest.
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
