"""Searches below the music folder in the real program as a keyboard and
screen-reader user would: Ctrl+F, the scope "This folder and below", a
query; the files found show with their folders, the one focused shows its
details, "Copy to folder 1" copies it to the preset folder, and Escape
brings the folder back."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from atspi_e2e import Atspi, column_titles, fail, find, passed, program, table_rows, wait_for, walk  # noqa: E402

music, preset = sys.argv[1], sys.argv[2]


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def status_label(frame):
    for node, _ in walk(frame):
        if node.get_role() == Atspi.Role.LABEL and node.get_description() == "Status":
            return node
    return None


app = wait_for("the program on the accessibility bus", program)
frame = wait_for("the main window", lambda: find(app, Atspi.Role.FRAME, "Vantrel"))
files = wait_for("the file list", lambda: find(frame, Atspi.Role.TREE, "Files (details)"))
wait_for("the music folder listed", lambda: any(r and r[0] == "Pack" for r in table_rows(files)))
status = wait_for("the status line", lambda: status_label(frame))

# Ctrl+F in the list, then the scope beside its field, then the query.
files.get_component_iface().grab_focus()
key("ctrl+f")
# Qt 6.4 reads a combo box by its current text.
scope = wait_for("the find bar's scope", lambda: find(frame, Atspi.Role.COMBO_BOX, "This folder"))
key("Tab", "End")  # from the field to the scope, and its last choice
wait_for("the scope below the folder", lambda: find(frame, Atspi.Role.COMBO_BOX, "This folder and below"))
field = wait_for("the find field", lambda: find(frame, Atspi.Role.TEXT, "Find in folder"))
field.get_component_iface().grab_focus()
subprocess.run(["xdotool", "type", "--delay", "30", "kick"], check=True)

said = wait_for("the search's count",
                lambda: (lambda t: t if " found below " in t and ", searching" not in t else None)(status.get_name()), 30)
if not said.startswith("2 files found below Music"):
    fail(f"the status line says '{said}'")
titles = column_titles(files)
if "Folder" not in titles:
    fail(f"no Folder column among {titles}")
else:
    folder = titles.index("Folder")
    found = sorted((r[0], r[folder]) for r in table_rows(files))
    expected = [("Kick A.wav", "Pack/Drums/Kicks"), ("kick loop.flac", "Pack/Loops")]
    if found != expected:
        fail(f"found {found}, expected {expected}")

# The first file found, focused from the keyboard (Return in the field goes
# back to the list): its details follow.
key("Return", "Home")
details = find(frame, Atspi.Role.TREE, "Details about the selected audio file.")
if details is None:
    fail("no details list")
else:
    wait_for("the focused file's details",
             lambda: any("Deep Kick" in " ".join(r) for r in table_rows(details)), 30)

# Copied to the preset folder by the folders panel's button.
copy = find(frame, Atspi.Role.PUSH_BUTTON, "Copy to folder 1")
if copy is None:
    fail("no 'Copy to folder 1' button")
else:
    copy.get_action_iface().do_action(0)
    wait_for("the copy in the preset folder", lambda: os.path.isfile(os.path.join(preset, "Kick A.wav")), 30)

# Escape in the list, which kept the keyboard, brings the music folder back.
key("Escape")
wait_for("the music folder again",
         lambda: sorted(r[0] for r in table_rows(files)) == ["Pack", "pad.wav"], 30)
passed("search_e2e")
