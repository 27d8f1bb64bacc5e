#!/usr/bin/python3
"""What a screen reader learns of a program over AT-SPI, as one line of JSON.

    atspi_reader.py APPLICATION_NAME

Prints {"sheet": the text of the setup sheet, "focused": [[role, name, access key], ...] of the
focused objects on the screen, "fields": the names of the text fields on the screen}, or
nothing when the application is not on the accessibility bus (yet). Run by the system's Python,
which has Debian's pyatspi.
"""

import json
import sys

import pyatspi


def walk(accessible):
    yield accessible
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def access_key(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return ""
    return action.getKeyBinding(0) if action.nActions else ""


def main(name):
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    app = next((a for a in apps if a is not None and a.name == name), None)
    if app is None:
        return
    found = {"sheet": None, "focused": [], "fields": []}
    for accessible in walk(app):
        states = accessible.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        role = accessible.getRoleName()
        if role == "text" and accessible.name == "Setup sheet":
            text = accessible.queryText()
            found["sheet"] = text.getText(0, text.characterCount)
        elif role == "text":
            found["fields"].append(accessible.name)
        if states.contains(pyatspi.STATE_FOCUSED):
            found["focused"].append([role, accessible.name, access_key(accessible)])
    print(json.dumps(found))


if __name__ == "__main__":
    main(sys.argv[1])
