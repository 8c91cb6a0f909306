#!/usr/bin/env python3
"""The editor's server at size: grids of 1,000 and 10,000 maps served by `tovren-world edit`.
Measures, from here over HTTP: GET /api/world the first time (the world laid out and written)
and again (kept), GET /api/picture, a save of two maps, the time from a change on disk to its
event, and the server at rest: processor time over ten seconds, and its memory then and at its
peak against the check's peak.
Usage: edit_bench.py TOVREN_WORLD [RUNS]"""
import http.client
import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from worlds import make_grid, start_editor

tool = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
ticks = os.sysconf("SC_CLK_TCK")


def request(port, token, method, path, body=None):
    connection = http.client.HTTPConnection("127.0.0.1", port)
    headers = {"Tovren-Token": token}
    if body is not None:
        headers["Content-Type"] = "application/json"
    started = time.perf_counter()
    connection.request(method, path, body=body, headers=headers)
    response = connection.getresponse()
    data = response.read()
    took = time.perf_counter() - started
    connection.close()
    return response.status, data, took


def processor_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def memory_kib(pid, which):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith(which + ":"):
            return int(line.split()[1])
    return 0


def check_peak_kib(folder):
    result = subprocess.run(["/usr/bin/time", "-f", "%M", tool, "check", "--json", folder],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    return int(result.stderr.split()[-1])


print(f"{'maps':>7} {'world 1st':>10} {'world':>7} {'picture':>8} {'save 2':>8} {'event':>7} "
      f"{'rest cpu':>9} {'rest MiB':>9} {'peak MiB':>9} {'check MiB':>10}")
for width, height in ((40, 25), (100, 100)):
    count = width * height
    with tempfile.TemporaryDirectory() as folder:
        make_grid(folder, width, height)
        server, url = start_editor(tool, folder)
        port, token = int(url.split(":")[2].split("/")[0]), url.split("token=")[1]
        first = request(port, token, "GET", "/api/world")[2]
        kept = statistics.median(request(port, token, "GET", "/api/world")[2] for _ in range(runs))
        picture = statistics.median(request(port, token, "GET", "/api/picture")[2]
                                    for _ in range(runs))
        saves = []
        for run in range(runs):
            old, new = ("", "x") if run % 2 == 0 else ("x", "")
            body = json.dumps({"saves": [
                {"map": "m0_0", "expect": {"up": old, "down": "m0_1", "left": "", "right": "m1_0"},
                 "links": {"up": new, "down": "m0_1", "left": "", "right": "m1_0"}},
                {"map": "m3_0", "expect": {"up": old, "down": "m3_1", "left": "m2_0",
                                           "right": "m4_0"},
                 "links": {"up": new, "down": "m3_1", "left": "m2_0", "right": "m4_0"}}]})
            status, data, took = request(port, token, "POST", "/api/save", body)
            assert status == 200, data
            saves.append(took)
            time.sleep(0.2)  # its own writes, seen by the watch, are read back in between
        events = socket.create_connection(("127.0.0.1", port))
        events.sendall(f"GET /api/events?token={token} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n\r\n"
                       .encode())
        events.recv(4096)  # the head and the first event
        announced = []
        for run in range(5):
            started = time.perf_counter()
            with open(os.path.join(folder, "m2_2.link"), "wb") as file:
                file.write(f"{'y' * run}\r\nm2_3\r\nm1_2\r\nm3_2\r\n".encode())
            while b"event: world" not in events.recv(4096):
                pass
            announced.append(time.perf_counter() - started)
            time.sleep(0.2)
        time.sleep(3)
        before = processor_seconds(server.pid)
        time.sleep(10)
        at_rest = processor_seconds(server.pid) - before
        server_peak = memory_kib(server.pid, "VmHWM")
        server_rest = memory_kib(server.pid, "VmRSS")
        events.close()
        server.terminate()
        server.wait()
        print(f"{count:>7} {first * 1e3:>8.1f}ms {kept * 1e3:>5.1f}ms {picture * 1e3:>6.1f}ms "
              f"{statistics.median(saves) * 1e3:>6.1f}ms {statistics.median(announced) * 1e3:>5.0f}ms "
              f"{at_rest:>8.2f}s {server_rest / 1024:>9.1f} {server_peak / 1024:>9.1f} "
              f"{check_peak_kib(folder) / 1024:>10.1f}")
