#!/usr/bin/env bash
# Search below a folder in the real program, driven through the accessibility
# bus on a private X server with a window manager: a query typed in Ctrl+F's
# bar with the scope "This folder and below" finds files in several folders,
# a found file focused shows its details, and "Copy to folder 1" copies it to
# the preset folder. The checks themselves are in search_e2e.py.
set -euo pipefail
exe=${1:?vantrel executable}
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
e2e_begin
mkdir -p "$HOME/Music/Pack/Drums/Kicks" "$HOME/Music/Pack/Loops" "$HOME/Preset"
# A returning user's: the folders panel shown, its first folder set.
e2e_write_settings "Group box folders visible=1" "Folder 1=$HOME/Preset/"

# Two kicks in different folders, a pad, and a text file named like a kick.
ffmpeg -v error -f lavfi -i "sine=frequency=60:duration=1" -ar 44100 \
    -metadata title="Deep Kick" "$HOME/Music/Pack/Drums/Kicks/Kick A.wav"
ffmpeg -v error -f lavfi -i "sine=frequency=80:duration=2" -ar 48000 -c:a flac \
    "$HOME/Music/Pack/Loops/kick loop.flac"
ffmpeg -v error -f lavfi -i "sine=frequency=300:duration=1" "$HOME/Music/pad.wav"
echo "not audio" >"$HOME/Music/Pack/kick notes.txt"

e2e_start_openbox "$work/wm.log"
e2e_start_a11y_bus "$work/bus.log" || exit 1

"$exe" >"$work/app.log" 2>&1 &
app=$!
e2e_run_checks search_e2e "$here/search_e2e.py" "$HOME/Music" "$HOME/Preset"
