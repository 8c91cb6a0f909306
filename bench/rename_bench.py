#!/usr/bin/env python3
"""A map's rename at size: in grids of 1,000, 10,000 and 100,000 maps (worlds.make_grid), the
map in the middle, which 4 maps lead to, is renamed and renamed back by `tovren-world rename
--write`, timed whole, and again with every sync made a no-op by eatmydata: the time of its own
work, without the device's. Beside them, the dry run (`rename` without --write) and `check
--json` on the same world, the floor of loading every link file through the store (read_folder
--store), and, counted by strace, the dry run's opens of link files (each file once) and the
syncs of one rename. Medians, the files in the page cache.
Usage: rename_bench.py TOVREN_WORLD READ_FOLDER [RUNS]"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

from worlds import make_grid

tool, floor = sys.argv[1], sys.argv[2]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7


def timed(command):
    started = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=False)  # the check finds faults
    return time.perf_counter() - started


def traced(command, calls):
    """How many times each system call was made, in the whole run."""
    result = subprocess.run(["strace", "-f", "-c", "-e", f"trace={calls}", *command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                            check=True)
    counts = {}
    for line in result.stderr.splitlines():
        fields = line.split()
        if fields and fields[-1] in calls.split(","):
            counts[fields[-1]] = int(fields[3])  # % time, seconds, usecs/call, calls
    return counts


def link_opens(command):
    result = subprocess.run(["strace", "-f", "-e", "trace=openat", *command],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                            check=True)
    return len(re.findall(r'openat\([^"]*"[^"]*\.link"', result.stderr))


print(f"{'maps':>8} {'rename ms':>10} {'no sync ms':>11} {'syncs':>6} {'dry run ms':>11} "
      f"{'check ms':>9} {'floor ms':>9} {'opens':>7}")
for width, height in ((40, 25), (100, 100), (400, 250)):
    with tempfile.TemporaryDirectory() as folder:
        make_grid(folder, width, height)
        old, new = f"m{width // 2}_{height // 2}", "forest"
        subprocess.run([tool, "check", folder], stdout=subprocess.DEVNULL, check=False)
        renames, unsynced, dry, checks, floors = [], [], [], [], []
        for _ in range(runs):  # renamed and renamed back: the same rename each time
            renames.append(timed([tool, "rename", old, new, "--write", folder]))
            timed([tool, "rename", new, old, "--write", folder])
            unsynced.append(timed(["eatmydata", tool, "rename", old, new, "--write", folder]))
            timed([tool, "rename", new, old, "--write", folder])
            dry.append(timed([tool, "rename", old, new, folder]))
            checks.append(timed([tool, "check", "--json", folder]))
            floors.append(timed([floor, "--store", folder]))
        syncs = traced([tool, "rename", old, new, "--write", folder], "fsync,fdatasync")
        timed([tool, "rename", new, old, "--write", folder])
        opens = link_opens([tool, "rename", old, new, folder])
        print(f"{width * height:>8} {statistics.median(renames) * 1e3:>10.1f} "
              f"{statistics.median(unsynced) * 1e3:>11.1f} {sum(syncs.values()):>6} "
              f"{statistics.median(dry) * 1e3:>11.1f} {statistics.median(checks) * 1e3:>9.1f} "
              f"{statistics.median(floors) * 1e3:>9.1f} {opens:>7}")
