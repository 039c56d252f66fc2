"""Checks the real program through the accessibility bus, as a screen-reader
user or an assistive tool would meet it: every control it shows has a name,
labels are read by their text, and moving the focus to a file in the
browser lists that file's details."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from atspi_e2e import Atspi, fail, find, passed, program, showing, table_rows, text_of, wait_for, walk  # noqa: E402

music = sys.argv[1]
app = wait_for("the program on the accessibility bus", program)
frame = wait_for("the main window", lambda: find(app, Atspi.Role.FRAME, "Vantrel"))

# Every control a person can see is named; a label is read by its own text.
unnamed_ok = (Atspi.Role.TABLE_CELL, Atspi.Role.LIST_ITEM, Atspi.Role.TREE_ITEM, Atspi.Role.SEPARATOR,
              Atspi.Role.SCROLL_BAR, Atspi.Role.TABLE_COLUMN_HEADER, Atspi.Role.MENU_ITEM)
wait_for("the file list", lambda: find(frame, Atspi.Role.TREE, "Files (details)"))
for node, _ in walk(frame):
    if not showing(node) or node.get_role() in unnamed_ok:
        continue
    name = node.get_name()
    if not name.strip():
        fail(f"a {node.get_role_name()} without a name (child of "
             f"{node.get_parent().get_role_name()} '{node.get_parent().get_name()}')")
    if node.get_role() == Atspi.Role.LABEL:
        shown = text_of(node)
        if shown.strip() and shown.strip() not in name:
            fail(f"label named '{name}' does not carry its text '{shown}'")

volume = find(frame, Atspi.Role.LABEL, "100%")
if volume is None:
    fail("the volume value is not read as '100%'")

# The browser opens at the music folder and lists its audio files only.
files = find(frame, Atspi.Role.TREE, "Files (details)")
names = wait_for("the audio files in the list",
                 lambda: (lambda rows: rows if len(rows) >= 2 else None)([r[0] for r in table_rows(files)]))
for expected in ("tone a.wav", 'tone "b".flac'):
    if not any(n.startswith(expected.rsplit(".", 1)[0]) for n in names):
        fail(f"'{expected}' is not listed: {names}")
if any("notes" in n for n in names):
    fail(f"a text file is listed among audio files: {names}")

# Focus a file the way a keyboard user does; its details follow.
files.get_component_iface().grab_focus()
subprocess.run(["xdotool", "key", "--clearmodifiers", "End"], check=True)
details = find(frame, Atspi.Role.TREE, "Details about the selected audio file.")
if details is None:
    fail("no details list")
else:
    rows = wait_for("details of the focused file",
                    lambda: (lambda r: r if any("44" in " ".join(x) or "48" in " ".join(x) for x in r) else None)(
                        table_rows(details)), 30)
    flat = " | ".join(" ".join(r) for r in rows)
    if "Tone" not in flat:
        fail(f"the focused file's title tag is not among its details: {flat[:400]}")

passed("a11y_e2e")
