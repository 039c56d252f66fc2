"""What the end-to-end tests share to find and read the program's controls
on the accessibility bus: by role and accessible name, as a screen reader
does (Qt 6.4 does not expose object names)."""
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402,F401

# The interface getters used here are stable in 2.46 but marked as deprecated.
warnings.filterwarnings("ignore", category=DeprecationWarning)
Atspi.set_timeout(5000, 20000)
failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def wait_for(what, probe, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = probe()
        except GLib.Error:
            found = None  # an object went away while the probe read it: the list changed; read again
        if found:
            return found
        time.sleep(0.1)
    print("FAIL: timed out waiting for", what)
    sys.exit(1)


def program():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        child = desktop.get_child_at_index(i)
        if child is not None and child.get_name() == "vantrel":
            return child
    return None


def walk(node, depth=0):
    yield node, depth
    if node.get_role() in (Atspi.Role.TABLE_CELL, Atspi.Role.LIST_ITEM, Atspi.Role.TREE_ITEM):
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def find(root, role, name):
    for node, _ in walk(root):
        if node.get_role() == role and node.get_name() == name and showing(node):
            return node
    return None


def text_of(node):
    iface = node.get_text_iface()
    return iface.get_text(0, iface.get_character_count()) if iface else ""


def table_rows(node):
    table = node.get_table_iface()
    rows = []
    for r in range(table.get_n_rows()):
        rows.append([
            (table.get_accessible_at(r, c).get_name() or "") if table.get_accessible_at(r, c) else ""
            for c in range(table.get_n_columns())
        ])
    return rows


def column_titles(node):
    table = node.get_table_iface()
    return [table.get_column_description(c) or "" for c in range(table.get_n_columns())]


def passed(name):
    if failures:
        sys.exit(1)
    print(f"{name}: passed")
