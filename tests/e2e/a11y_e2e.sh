#!/usr/bin/env bash
# The real program driven the way a screen-reader user meets it: through the
# accessibility bus, on a private X server with a window manager and a
# private session bus. The checks themselves are in a11y_e2e.py.
set -euo pipefail
exe=${1:?vantrel executable}
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${bus:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb "$work/xvfb.log"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME/Music" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ENABLE_HIGHDPI_SCALING=0
# A first start shows the modal browser hint; this test is about the main window.
mkdir -p "$HOME/.local/share/Tarvex/Vantrel"
printf '[Hints]\r\nTree-view show=0\r\n' | iconv -f UTF-8 -t UTF-16LE \
    | { printf '\xff\xfe'; cat; } >"$HOME/.local/share/Tarvex/Vantrel/vantrel.ini"

# Two short tones with tags, one with a name a shell would trip over.
ffmpeg -v error -f lavfi -i "sine=frequency=440:duration=2" -ar 44100 \
    -metadata title="Tone A" "$HOME/Music/tone a.wav"
ffmpeg -v error -f lavfi -i "sine=frequency=660:duration=2" -ar 48000 -c:a flac \
    -metadata title="Tone B" "$HOME/Music/tone \"b\".flac"
echo "not audio" >"$HOME/Music/notes.txt"

e2e_start_openbox "$work/wm.log"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
bus=$!
a11y_bus_up() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}
e2e_wait_until "the accessibility bus" a11y_bus_up || exit 1

"$exe" >"$work/app.log" 2>&1 &
app=$!
status=0
/usr/bin/python3 "$here/a11y_e2e.py" "$HOME/Music" || status=$?
if ((status != 0)); then
    import -window root "$work/shot.png" 2>/dev/null && cp "$work/shot.png" "${TMPDIR:-/tmp}/a11y_e2e_failure.png" || true
    echo "--- program output"; cat "$work/app.log"
fi
kill -0 $app 2>/dev/null || { echo "FAIL: vantrel is not running at the end"; status=1; }
exit $status
