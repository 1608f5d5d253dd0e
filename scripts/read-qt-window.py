#!/usr/bin/python3
"""Prints what a screen reader finds in the Zorvane window (through AT-SPI):
one line per entry of the frame list ("entry: TEXT"), the status line
("status: TEXT", its measured summary) and the meaning of the plays
("plays: TEXT").

    read-qt-window.py

Needs the accessibility bus of the session the program runs in (the program
started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1) and gir1.2-atspi-2.0.
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield child


def walk(node, found, inside=None):
    role = node.get_role_name()
    name = node.get_name() or ""
    if role == "combo box":  # its choices are list items too
        return
    if role == "list item":
        found["entries"].append(name)
    elif role == "label" and inside == "status bar":
        found["status"] = name
    elif role == "label" and name.startswith("plays "):
        found["plays"] = name
    for child in children(node):
        walk(child, found, role if role in ("status bar", "list") else inside)


def main():
    desktop = Atspi.get_desktop(0)
    for application in children(desktop):
        if application.get_name() != "zorvane":
            continue
        found = {"entries": [], "status": "", "plays": ""}
        walk(application, found)
        for entry in found["entries"]:
            print("entry: " + entry)
        print("status: " + found["status"])
        print("plays: " + found["plays"])
        return 0
    print("read-qt-window: no zorvane window on the accessibility bus", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
