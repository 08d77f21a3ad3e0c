"""Lists the objects of Vexorin's board as a screen reader finds them on the
accessibility bus, checks them against the sample project, and makes one
object current through its action, waiting to hear the focus move to it."""

import sys
import time

import pyatspi
from gi.repository import GLib

EXPECTED = {
    "Boiler": "Running",
    "Pump 1": "Fault",
    "Pump 2": "Maintenance",
    "Tank A": "Stopped",
    # Named and never stamped: its green is no status's colour.
    "Gate": "",
}


def find_board(node, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if node.getRole() == pyatspi.ROLE_LIST and node.name == "Board":
            return node
        for child in node:
            found = find_board(child, depth + 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None


def board_with_objects(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Vexorin":
                board = find_board(app)
                if board is not None and board.childCount >= len(EXPECTED):
                    return board
        time.sleep(0.5)
    return None


def main():
    board = board_with_objects(60)
    if board is None:
        print("FAIL: no board with objects on the accessibility bus")
        return 1
    listed = []
    for item in board:
        listed.append((item.name, item.description, item.getRoleName()))
        print("object: %r status: %r role: %s" % listed[-1])
    failures = []
    names = [name for name, _, _ in listed]
    if sorted(names) != sorted(EXPECTED):
        failures.append("objects %r, expected %r" % (names, sorted(EXPECTED)))
    for name, status, role in listed:
        if name in EXPECTED and status != EXPECTED[name]:
            failures.append("%s has status %r, expected %r" % (name, status, EXPECTED[name]))
        if role != "list item":
            failures.append("%s is a %s" % (name, role))

    # The reader follows the current object.
    target = board[1]
    heard = []

    def on_focus(event):
        if event.detail1 == 1:
            heard.append(event.source.name)

    def act():
        action = target.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        print("actions of %s: %r" % (target.name, names))
        for wanted in ("open note", "show menu"):
            if not any(n.lower() == wanted for n in names):
                failures.append("%s has no action %r" % (target.name, wanted))
        focus = [i for i, n in enumerate(names) if n.lower().replace(" ", "") == "setfocus"]
        if focus:
            action.doAction(focus[0])
        else:
            failures.append("no action makes %s current" % target.name)
        GLib.timeout_add(3000, stop)
        return False

    def stop():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.timeout_add(500, act)
    pyatspi.Registry.start()
    print("focus heard on: %r" % heard)
    if target.name not in heard:
        failures.append("the focus was not heard to move to %s" % target.name)

    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
