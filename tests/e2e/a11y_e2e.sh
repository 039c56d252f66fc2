#!/usr/bin/env bash
# The real program driven the way a screen-reader user meets it: through the
# accessibility bus, on a private X server with a window manager and a
# private session bus. The checks themselves are in a11y_e2e.py.
set -euo pipefail
exe=${1:?vantrel executable}
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
e2e_begin
# A first start shows the modal browser hint; this test is about the main window.
e2e_write_settings

# Two short tones with tags, one with a name a shell would trip over.
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=2" -ar 44100 \
    -metadata title="Tone A" "$HOME/Music/tone a.wav"
ffmpeg -v error -f lavfi -i "sine=frequency=660:duration=2" -ar 48000 -c:a flac \
    -metadata title="Tone B" "$HOME/Music/tone \"b\".flac"
echo "not audio" >"$HOME/Music/notes.txt"

e2e_start_openbox "$work/wm.log"
e2e_start_a11y_bus "$work/bus.log" || exit 1

"$exe" >"$work/app.log" 2>&1 &
app=$!
e2e_run_checks a11y_e2e "$here/a11y_e2e.py" "$HOME/Music"
