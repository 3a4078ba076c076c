#!/usr/bin/env python3
"""Reads the running game over AT-SPI, as a screen reader does, and plays a turn through it.

Runs inside a session with an accessibility bus and a display (scripts/a11y-check), and starts the
program given on its command line itself, after it listens for events as a screen reader that was
already running would. Exits non-zero, saying why, when something a screen reader relies on is missing.
"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = "ZUM v0.9"
TILE = re.compile(r"^Casilla (\d+), (boca abajo|boca arriba|pareja encontrada)(?:: (.+))?$")
BUTTON_ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON}


class CheckFailed(Exception):
    pass


def pump(seconds):
    """Lets AT-SPI deliver events for a while."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(what, probe, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the program starts
            found = None
        if found:
            return found
        pump(0.1)
    raise CheckFailed(f"timed out waiting for {what}")


def find_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP_NAME:
            return app
    return None


def find_all(root, predicate):
    return pyatspi.findAllDescendants(root, predicate)


def named(root, role, name):
    found = find_all(root, lambda n: n is not None and n.getRole() == role and n.name == name)
    return found[0] if found else None


def do_action(node, wanted):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for i, name in enumerate(names):
        if name.lower() == wanted.lower():
            action.doAction(i)
            return names
    raise CheckFailed(f"{node.name!r} offers no {wanted!r} action, only {names}")


def tiles(app):
    found = {}
    for node in find_all(app, lambda n: n is not None and TILE.match(n.name or "")):
        found[int(TILE.match(node.name).group(1))] = node
    return found if len(found) == 20 else None


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def main(program):
    events = []
    pyatspi.Registry.registerEventListener(
        lambda e: events.append((e.type, e.source_name, e.detail1)),
        "object:property-change:accessible-name",
        "object:state-changed:checked",
    )
    game = subprocess.Popen(program)
    try:
        check(events)
    finally:
        if game.poll() is None:
            game.terminate()
        game.wait(timeout=10)


def focused(board):
    return [number for number, tile in board.items() if tile.getState().contains(pyatspi.STATE_FOCUSED)]


def keyboard(app, board):
    """Plays on from the keyboard, the keys coming through the X server as a player's do."""
    windows = subprocess.run(["xdotool", "search", "--name", "^ZUM$"], capture_output=True, text=True).stdout.split()
    if not windows:
        raise CheckFailed("no X window named 'ZUM'")
    subprocess.run(["xdotool", "windowfocus", "--sync", windows[0]], check=True)

    def key(name):
        subprocess.run(["xdotool", "key", name], check=True)
        pump(0.05)

    key("Tab")
    wait_for("Tab to focus tile 1", lambda: focused(board) == [1])
    key("Escape")  # ends the turn the press action left
    for name in ("Down", "Right"):
        key(name)
    wait_for("Down and Right to focus tile 7", lambda: focused(board) == [7])
    key("space")
    wait_for("Space to turn tile 7", lambda: board[7].name.startswith("Casilla 7, boca arriba: "))
    key("Escape")
    wait_for("Escape to cover tile 7", lambda: board[7].name == "Casilla 7, boca abajo")
    print("keyboard: Tab, Down, Right focus tile 7; Space turns it, Escape covers it")

    key("alt+d")
    key("Down")
    key("Return")
    wait_for("Alt+D, Down, Return to choose difficulty 2",
             lambda: named(app, pyatspi.ROLE_MENU_ITEM, "2").getState().contains(pyatspi.STATE_CHECKED))
    print("keyboard: Alt+D, Down, Return chose difficulty 2")


def check(events):
    app = wait_for(f"the application {APP_NAME!r} on the accessibility bus", find_app)
    print(f"found {app.name!r}, {app.childCount} window(s)")

    nueva = wait_for("the menu item 'Nueva partida'", lambda: named(app, pyatspi.ROLE_MENU_ITEM, "Nueva partida"))
    pausa = named(app, pyatspi.ROLE_MENU_ITEM, "Pausa")
    if pausa is None or enabled(pausa) or not enabled(nueva):
        raise CheckFailed("before a game 'Nueva partida' should be enabled and 'Pausa' disabled")
    facil = named(app, pyatspi.ROLE_MENU_ITEM, "1 (fácil)")
    if facil is None or not facil.getState().contains(pyatspi.STATE_CHECKED):
        raise CheckFailed("'1 (fácil)' should be checked")
    print("menus: 'Nueva partida' enabled, 'Pausa' disabled, '1 (fácil)' checked")

    do_action(nueva, "Press")
    board = wait_for("twenty tiles", lambda: tiles(app))
    wait_for("the points display 'Puntos 50'", lambda: find_all(app, lambda n: n is not None and n.name == "Puntos 50"))
    wait_for("'Pausa' enabled", lambda: enabled(pausa))
    print("game started: 'Puntos 50' read, 'Pausa' enabled")

    for number, tile in sorted(board.items()):
        if tile.getRole() not in BUTTON_ROLES:
            raise CheckFailed(f"tile {number} is a {tile.getRoleName()!r}, not a button")
        if not tile.name.endswith("boca abajo"):
            raise CheckFailed(f"tile {number} reads {tile.name!r} after dealing")
        if not tile.getState().contains(pyatspi.STATE_FOCUSABLE):
            raise CheckFailed(f"tile {number} is not focusable")
    print(f"20 tiles, each a {board[1].getRoleName()!r}, focusable, face down")

    events.clear()
    names = do_action(board[1], "Press")
    turned = wait_for("tile 1 turned", lambda: TILE.match(board[1].name).group(2) == "boca arriba" and board[1].name)
    face = TILE.match(turned).group(3)
    if not face or re.search(r"[._-]|^\w*\d\w* ", face):
        raise CheckFailed(f"tile 1 should name its picture plainly, reads {turned!r}")
    if not board[1].getState().contains(pyatspi.STATE_CHECKED):
        raise CheckFailed("a face-up tile should be checked")
    print(f"pressed tile 1 through its action (actions {names}): {turned!r}")

    do_action(board[2], "Press")
    second = wait_for("tile 2 turned", lambda: TILE.match(board[2].name).group(2) != "boca abajo" and board[2].name)
    print(f"pressed tile 2: {second!r}; tile 1 now {board[1].name!r}")

    pump(0.5)
    # A screen reader speaks the focused tile again on these; each pressed tile must send both.
    about_first = [e for e in events if e[1].startswith("Casilla 1,")]
    renamed = [e for e in about_first if e[0].startswith("object:property-change:accessible-name")]
    checked = [e for e in about_first if e[0].startswith("object:state-changed:checked") and e[2] == 1]
    if not renamed or not checked:
        raise CheckFailed(f"expected name and checked-state events from tile 1, got {events}")
    print(f"events: {len(renamed)} name changes, {len(checked)} checked-state changes")

    keyboard(app, board)

    x = named(app, pyatspi.ROLE_MENU_ITEM, "X")
    if x is not None:
        do_action(x, "Press")
    print("a11y-check: passed")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} PROGRAM [ARGUMENT...]")
    try:
        main(sys.argv[1:])
    except CheckFailed as failure:
        print(f"a11y-check: FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
