#!/usr/bin/env bash
# Stored window bounds under a real window manager: started and closed through
# the window manager three times, a normal window keeps exactly the bounds it
# was stored with (no drift by the frame's size); hand-edited bounds far off
# every screen open with the title bar on the screen and are saved that way.
set -euo pipefail
exe=${1:?vantrel executable}

source "$(dirname "$0")/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb "$work/xvfb.log"
export HOME="$work/home"
mkdir -p "$HOME/.local/share/Tarvex/Vantrel"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR
ini="$HOME/.local/share/Tarvex/Vantrel/vantrel.ini"

fail() { echo "FAIL: $*" >&2; exit 1; }

write_ini() { # text with LF line ends -> UTF-16LE with BOM and CR LF
    { printf '\xff\xfe'; printf '%s' "${1//$'\n'/$'\r\n'}" | iconv -f UTF-8 -t UTF-16LE; } >"$ini"
}
stored() { # "X Y Width Height State" from the file
    local text
    text=$(tail -c +3 "$ini" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r')
    local out=""
    for key in X Y Width Height State; do
        out+="$(sed -n "/^\[Window\]/,/^\[/s/^$key=//p" <<<"$text" | head -n1) "
    done
    echo "${out% }"
}

e2e_start_openbox "$work/wm.log"

# One run: start, wait for the window, let the window manager frame it, close
# it through the window manager and wait for the program to save and exit.
run_once() {
    "$exe" >"$work/app.log" 2>&1 &
    app=$!
    window=""
    for _ in $(seq 1 300); do
        window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -n1 || true)
        [[ -n "$window" ]] && break
        kill -0 $app 2>/dev/null || { cat "$work/app.log"; fail "vantrel exited early"; }
        sleep 0.1
    done
    [[ -n "$window" ]] || fail "no window titled Vantrel appeared"
    e2e_wait_until "the window manager to frame the window" e2e_window_managed "$window" || fail "the window was never framed"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    client_x=$X client_y=$Y
    wmctrl -i -c "$window"
    for _ in $(seq 1 300); do
        kill -0 $app 2>/dev/null || break
        sleep 0.1
    done
    kill -0 $app 2>/dev/null && fail "vantrel did not exit after the window manager closed it"
    wait $app || { cat "$work/app.log"; fail "vantrel exited with an error"; }
    app=""
}

write_ini $'[Hints]\nTree-view show=0\n\n[Window]\nState=1\nX=100\nY=50\nWidth=1400\nHeight=800\n'
expected="100 50 1400 800 1"
for round in 1 2 3; do
    run_once
    # The client area sits inside the frame: below the title bar, never above
    # or left of the stored frame corner.
    (( client_x >= 100 && client_y > 50 )) || fail "round $round: client at $client_x,$client_y for a frame at 100,50"
    [[ "$(stored)" == "$expected" ]] || fail "round $round: stored bounds drifted: $(stored), expected $expected"
done

write_ini $'[Hints]\nTree-view show=0\n\n[Window]\nState=1\nX=-99999\nY=99999\nWidth=1400\nHeight=2147483647\n'
run_once
(( client_x >= 0 && client_x < 1920 && client_y >= 0 && client_y < 1080 )) ||
    fail "title bar off-screen: client at $client_x,$client_y"
read -r x y w h state <<<"$(stored)"
[[ "$state" == 1 ]] || fail "state $state"
(( x >= 0 && y >= 0 && x + w <= 1920 && y + h <= 1080 )) || fail "stored bounds not on the screen: $x $y $w $h"
echo "PASS"
