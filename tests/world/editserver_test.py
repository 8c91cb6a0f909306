#!/usr/bin/env python3
"""tovren-world edit as its page and a script talk to it, over HTTP from here: reading the world,
a save with Tovren's own bytes on disk, events for changes made by other programs, the server's
own refusals of requests, slow and many clients beside a working one, and the end after the last
page and on SIGTERM. What each request is answered is the unit tests' (tests/worldtool).

Usage: editserver_test.py TOVREN_WORLD
With --wine, TOVREN_WORLD is tovren-world.exe, run under Wine, a map's name is in Windows-1252,
and SIGTERM, of which a Windows program under Wine is not told, is left out."""
import argparse
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

    def __init__(self, folder, *arguments):
        command = ["wine", PROGRAM] if WINE else [PROGRAM]
        self.folder = folder
        self.process = subprocess.Popen(command + ["edit", "--no-browser", *arguments, "."],
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

    def test_reads_the_world_its_picture_and_the_page(self):
        world = self.server.world()
        self.assertEqual(list(world), ["folder", "maps", "findings", "version"])
        self.assertIsInstance(world["version"], int)
        names = [m["name"] for m in world["maps"]]
        self.assertEqual(names, ["Köln", "map1", "map2"])
        self.assertEqual(world["maps"][0]["down"], "map1")
        status, response, picture = self.server.request("GET", "/api/picture")
        self.assertEqual(status, 200)
        self.assertTrue(response.getheader("Content-Type").startswith("image/svg+xml"))
        self.assertIn("<title>Köln</title>".encode(), picture)
        self.assertEqual(int(response.getheader("Tovren-Version")), world["version"])
        status, response, page = self.server.request("GET", "/")
        self.assertEqual(status, 200)
        self.assertIn(self.server.token.encode(), page)
        self.assertIn("script-src 'nonce-", response.getheader("Content-Security-Policy"))
        self.assertEqual(response.getheader("Cache-Control"), "no-store")

    def test_saves_when_every_expectation_holds_as_tovren_saves(self):
        before = self.server.world()["version"]
        status, answer = self.server.save(
            {"map": "map1", "expect": record(right="map2"), "links": record("up0", "", "", "map2")},
            {"map": self.accented, "expect": record(down="map1"),
             "links": record("", "map1", "", "Düsseldorf")})
        self.assertEqual(status, 200, answer)
        self.assertEqual(answer["results"], [{"map": "map1", "saved": True},
                                             {"map": "Köln", "saved": True}])
        self.assertGreater(answer["version"], before)
        self.assertEqual(self.bytes_of("map1"), b"up0\r\n\r\n\r\nmap2\r\n")
        encoding = "cp1252" if WINE else "utf-8"
        self.assertEqual(self.bytes_of(self.accented),
                         "\r\nmap1\r\n\r\nDüsseldorf\r\n".encode(encoding))
        self.assertEqual(self.server.world()["maps"][0]["right"], "Düsseldorf")

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


class TheEnd(unittest.TestCase):
    """A server of its own: it ends 30 s after its last page has gone, a reload within that time
    keeps it, and it ends at once on SIGTERM."""

    def test_ends_after_its_last_page_has_gone_but_not_on_a_reload(self):
        folder = tempfile.mkdtemp()
        try:
            server = Server(folder)
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
            server.end()
        finally:
            shutil.rmtree(folder)

    def test_ends_at_once_on_sigterm(self):
        folder = tempfile.mkdtemp()
        try:
            server = Server(folder)
            page = server.events()
            page.next_world(5)
            started = time.monotonic()
            self.assertEqual(server.end(), 0)
            self.assertLess(time.monotonic() - started, 2)
            page.close()
        finally:
            shutil.rmtree(folder)


# A Windows program under Wine is not told of SIGTERM: that is a test of the Linux run only.
if WINE:
    del TheEnd.test_ends_at_once_on_sigterm

if __name__ == "__main__":
    # The two long waits of TheEnd go on beside the rest.
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
