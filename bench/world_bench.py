#!/usr/bin/env python3
"""The world check at size: grids of link files (1,000, 10,000 and 100,000 maps, with a few
one-way and dangling links) checked by `tovren-world check --json`, against two floors run
alternately with it: listing the folder and opening, reading and closing every link file once
(read_folder), and loading every link file through the store (read_folder --store), which also
takes a status and a lock per file. Prints median wall times and the check's peak memory, and
the time `tovren-world draw` takes for the picture of the same world. Then the same worlds with
a Tiled map (.tmx) beside every map, laid out in pixels, against reading both files of every
map once (read_folder --tiled).
Usage: world_bench.py TOVREN_WORLD READ_FOLDER [RUNS]"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from worlds import make_grid

tool, floor = sys.argv[1], sys.argv[2]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5


def measure(command):
    """Wall seconds and peak resident KiB of one run, its output thrown away. GNU time does the
    waiting: a parent as small as it adds nothing to the peak that the child inherits."""
    result = subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", "/dev/stderr", *command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                            check=False)
    seconds, kib = result.stderr.split()[-2:]
    return float(seconds), int(kib)


def timed(command):
    """Wall seconds of one run, measured here to the microsecond."""
    started = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=False)  # the worlds have faults
    return time.perf_counter() - started


print(f"{'maps':>8} {'check ms':>9} {'floor ms':>9} {'ratio':>6} {'store ms':>9} {'ratio':>6} "
      f"{'µs/map':>7} {'check MiB':>10} {'budget MiB':>11} {'draw ms':>8}")
for width, height in ((40, 25), (100, 100), (400, 250)):
    count = width * height
    with tempfile.TemporaryDirectory() as folder:
        make_grid(folder, width, height)
        checks, floors, stores, peaks, draws = [], [], [], [], []
        timed([floor, folder])  # the files in the page cache for both
        for _ in range(runs):
            checks.append(timed([tool, "check", "--json", folder]))
            floors.append(timed([floor, folder]))
            stores.append(timed([floor, "--store", folder]))
            peaks.append(measure([tool, "check", "--json", folder])[1])
            draws.append(timed([tool, "draw", "-o", os.path.join(folder, "world.svg"), folder]))
        check, base = statistics.median(checks), statistics.median(floors)
        store = statistics.median(stores)
        print(f"{count:>8} {check * 1e3:>9.1f} {base * 1e3:>9.1f} {check / base:>6.2f} "
              f"{store * 1e3:>9.1f} {check / store:>6.2f} "
              f"{check / count * 1e6:>7.2f} {max(peaks) / 1024:>10.1f} {8 + count / 1024:>11.1f} "
              f"{statistics.median(draws) * 1e3:>8.1f}")

print()
print("With a Tiled map beside every map")
print(f"{'maps':>8} {'check ms':>9} {'floor ms':>9} {'ratio':>6} {'µs/map':>7} {'check MiB':>10} "
      f"{'budget MiB':>11}")
for width, height in ((40, 25), (100, 100), (400, 250)):
    count = width * height
    with tempfile.TemporaryDirectory() as folder:
        make_grid(folder, width, height, tiled=True)
        checks, floors, peaks = [], [], []
        timed([floor, "--tiled", folder])  # the files in the page cache for both
        for _ in range(runs):
            checks.append(timed([tool, "check", "--json", folder]))
            floors.append(timed([floor, "--tiled", folder]))
            peaks.append(measure([tool, "check", "--json", folder])[1])
        check, base = statistics.median(checks), statistics.median(floors)
        print(f"{count:>8} {check * 1e3:>9.1f} {base * 1e3:>9.1f} {check / base:>6.2f} "
              f"{check / count * 1e6:>7.2f} {max(peaks) / 1024:>10.1f} "
              f"{8 + count * 1.5 / 1024:>11.1f}")
