#!/usr/bin/env bash
# Closing ends cleanly whatever is still at work. The program is started at a
# folder of audio files, with its audio columns or its waveform thumbnails on,
# and closed through the window manager as soon as the window manager has
# framed it: the start-up worker, the header readers, the details reader and
# the waveform jobs are then still in flight. Every run must end promptly with
# status 0 and nothing from the sanitizers (a leak report fails the run).
set -euo pipefail
exe=${1:?vantrel executable}
rounds=${VANTREL_EXIT_ROUNDS:-4}

source "$(dirname "$0")/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${xvfb:-}"' EXIT
e2e_start_xvfb "$work/xvfb.log"
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR XDG_CACHE_HOME
pack="$HOME/Music/Pack"
mkdir -p "$pack" "$HOME/.local/share/Tarvex/Vantrel" "$HOME/.config/Tarvex"

fail() { echo "FAIL: $*" >&2; exit 1; }

utf16() { # text with LF line ends -> UTF-16LE with BOM and CR LF, into a file
    { printf '\xff\xfe'; printf '%s' "${2//$'\n'/$'\r\n'}" | iconv -f UTF-8 -t UTF-16LE; } >"$1"
}
utf16 "$HOME/.local/share/Tarvex/Vantrel/vantrel.ini" $'[Hints]\nTree-view show=0\n'

# Enough files that the readers and the waveform jobs are busy at the close.
ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=440:duration=4" "$work/tone.wav"
ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=550:duration=4" -c:a flac "$work/tone.flac"
ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=660:duration=4" -c:a libmp3lame "$work/tone.mp3"
for i in $(seq -w 1 40); do
    for ext in wav flac mp3; do
        cp "$work/tone.$ext" "$pack/take $i.$ext"
    done
done

# The main window's browser opens at the pack, in the view and with the
# columns given.
browser_state() { # view audio-columns
    utf16 "$HOME/.config/Tarvex/registry.ini" "[Software\\Tarvex\\Brivane Dialogs\\App settings\\{14041EA1-43B5-474A-B7BA-CAE3B9460048}]
Folder=$pack/
View=$1
Audio columns=$2
"
}

e2e_start_openbox "$work/wm.log"

for round in $(seq 1 "$rounds"); do
    if ((round % 2)); then browser_state 0 31; else browser_state 2 0; fi
    "$exe" "$pack/take 01.wav" >"$work/app.log" 2>&1 &
    app=$!
    e2e_wait_until "the window (round $round)" e2e_window_shown '^Vantrel$' || { cat "$work/app.log"; fail "no window"; }
    window=$(xdotool search --onlyvisible --name '^Vantrel$' | head -n1)
    e2e_wait_until "the window to be framed" e2e_window_managed "$window" || fail "the window was never framed"
    wmctrl -i -c "$window"
    e2e_wait_until "vantrel to exit after the close (round $round)" bash -c "! kill -0 $app 2>/dev/null" ||
        { cat "$work/app.log"; fail "vantrel did not exit after the window manager closed it"; }
    status=0
    wait "$app" || status=$?
    app=""
    if ((status != 0)) || grep -Eq 'Sanitizer|runtime error' "$work/app.log"; then
        cat "$work/app.log"
        fail "round $round: vantrel exited with status $status"
    fi
done
echo "exit_e2e: $rounds closes while at work, all clean"
