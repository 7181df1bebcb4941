#!/usr/bin/python3
"""The app as assistive technologies see it, over AT-SPI.

Run as `atspi.py PID`, it answers one command per line on standard input,
one line each on standard output (starting it once saves a second a call):
  walk WINDOW   "ok N" when the showing window is listed and its N interactive
                controls all have names, else "fail" and why
  at NAME       "x y", the screen centre of the showing control called NAME
                (a control before a label of the same name), or "none"
  text NAME     the text of the showing control NAME, or "none"
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
    return None


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def shown(node):
    """The showing nodes below node; hidden ones are not entered."""
    for child in node:
        if child is not None and showing(child):
            yield child
            yield from shown(child)


def walk(app, name):
    tops = [c for c in app if c is not None and c.name == name and showing(c)]
    if not tops:
        return f"fail: no showing window named {name!r}"
    controls = [n for n in shown(tops[0]) if n.getRole() in INTERACTIVE]
    unnamed = [f"{n.getRoleName()} in {n.parent.name or n.parent.getRoleName()}" for n in controls if not n.name]
    if unnamed or not controls:
        return "fail: unnamed " + ", ".join(unnamed) if unnamed else "fail: no controls"
    return f"ok {len(controls)}"


def find(app, name):
    found = [n for top in app if top is not None and showing(top) for n in shown(top) if n.name == name]
    found.sort(key=lambda n: n.getRole() not in INTERACTIVE)
    return found[0] if found else None


def answer(app, command, argument):
    if command == "walk":
        return walk(app, argument)
    node = find(app, argument)
    if node is None:
        return "none"
    if command == "at":
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return f"{box.x + box.width // 2} {box.y + box.height // 2}"
    if command == "text":
        return node.queryText().getText(0, -1)
    return f"fail: unknown command {command}"


def main():
    pid = int(sys.argv[1])
    for line in sys.stdin:
        command, _, argument = line.rstrip("\n").partition(" ")
        app = application(pid)
        print(answer(app, command, argument) if app is not None else "fail: the app is not listed", flush=True)


if __name__ == "__main__":
    main()
