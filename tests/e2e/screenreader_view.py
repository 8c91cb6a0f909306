"""Reads Tovren's window through AT-SPI as a screen reader does, and checks what it would say.

Usage: /usr/bin/python3 screenreader_view.py PROCESS_ID  (exit status 1 with the reasons)
"""
import sys
import time

import pyatspi

EXPECTED = [  # reading order, role, name, description
    ("label", "Filename of maps ie: map1 ", ""),
    ("label", "Going Up!", ""),
    ("label", "Going Down!", ""),
    ("text", "Going Up!", ""),
    ("text", "Going Down!", ""),
    ("label", "Going Left!", ""),
    ("label", "Going Right!", ""),
    ("text", "Going Left!", ""),
    ("text", "Going Right!", ""),
    ("label", "Mapname", ""),
    ("text", "Mapname", "Filename of maps ie: map1 "),
    ("push button", "Load", ""),
    ("push button", "Done", ""),
]


def tovren_application(process_id):
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(100):  # the application registers itself shortly after it starts
        for i in range(desktop.childCount):
            application = desktop.getChildAtIndex(i)
            if application is not None and application.get_process_id() == process_id:
                return application
        time.sleep(0.1)
    sys.exit(f"FAILED: process {process_id} is not on the accessibility bus")


def main():
    application = tovren_application(int(sys.argv[1]))
    if application.childCount != 1:
        sys.exit(f"FAILED: {application.childCount} top-level objects, not one window")
    window = application.getChildAtIndex(0)
    seen = [(window.getRoleName(), window.name)]
    controls = [window.getChildAtIndex(i) for i in range(window.childCount)]
    found = [(c.getRoleName(), c.name, c.description) for c in controls]
    if seen != [("frame", "Link Map to other Maps!")] or found != EXPECTED:
        print("FAILED: a screen reader reads", seen, *found, sep="\n  ")
        sys.exit(1)


main()
