#!/usr/bin/python3
"""The app as assistive technologies see it, over AT-SPI.

  atspi.py PID walk [WINDOW]  lists WINDOW's interactive controls (default the
                              panel); fails when the window is not listed or
                              a control has no name
  atspi.py PID at NAME        prints the screen centre "x y" of the showing
                              control called NAME; fails when there is none
  atspi.py PID text NAME      prints the text of the showing control NAME
"""
import sys

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_ENTRY, pyatspi.ROLE_TEXT, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_LINK,
}


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    sys.exit(f"no accessible application with pid {pid}")


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def window(app, name):
    for child in app:
        if child is not None and child.name == name and showing(child):
            return child
    sys.exit(f"no showing window named {name!r}; the app lists {[c.name for c in app if c is not None]}")


def walk(app, name):
    top = window(app, name)
    controls = [n for n in descendants(top) if showing(n) and n.getRole() in INTERACTIVE]
    unnamed = [f"{n.getRoleName()} in {n.parent.name or n.parent.getRoleName()}" for n in controls if not n.name]
    print(f"{name}: {len(controls)} controls, {len(unnamed)} without a name")
    for line in unnamed:
        print("  unnamed:", line)
    return 1 if unnamed or not controls else 0


def find(app, name):
    """A control by that name before any other node (a label names its field too)."""
    found = [node for top in app if top is not None and showing(top)
             for node in descendants(top) if node.name == name and showing(node)]
    found.sort(key=lambda node: node.getRole() not in INTERACTIVE)
    return found[0] if found else None


def at(app, name):
    node = find(app, name)
    if node is None:
        return 1
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    print(box.x + box.width // 2, box.y + box.height // 2)
    return 0


def text(app, name):
    node = find(app, name)
    if node is None:
        return 1
    print(node.queryText().getText(0, -1))
    return 0


def main():
    pid, command, *rest = sys.argv[1:]
    app = application(int(pid))
    if command == "walk":
        return walk(app, rest[0] if rest else "Ostrel Brimkit")
    if command == "at":
        return at(app, rest[0])
    if command == "text":
        return text(app, rest[0])
    sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    sys.exit(main())
