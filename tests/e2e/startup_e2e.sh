#!/usr/bin/env bash
# First start with an empty home folder: the window opens maximized with its
# title, the settings file is exactly FF FE while it runs, and closing the
# window through the window manager writes the main window's keys as UTF-16LE.
set -euo pipefail
exe=${1:?vantrel executable}

source "$(dirname "$0")/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb "$work/xvfb.log"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR
ini="$HOME/.local/share/Tarvex/Vantrel/vantrel.ini"

fail() { echo "FAIL: $*" >&2; exit 1; }

e2e_start_openbox "$work/wm.log"

"$exe" >"$work/app.log" 2>&1 &
app=$!

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -n1 || true)
    [[ -n "$window" ]] && break
    kill -0 $app 2>/dev/null || { cat "$work/app.log"; fail "vantrel exited early"; }
    sleep 0.1
done
[[ -n "$window" ]] || fail "no window titled Vantrel appeared"
e2e_wait_until "the window manager to frame the window" e2e_window_managed "$window" || fail "the window was never framed"

[[ "$(xdotool getwindowname "$window")" == "Vantrel" ]] || fail "window title"
e2e_wait_until "the window to be maximized" e2e_window_state_has "$window" _NET_WM_STATE_MAXIMIZED_HORZ ||
    fail "window is not maximized"
[[ -f "$ini" ]] || fail "settings file missing: $ini"
[[ "$(xxd -p "$ini")" == "fffe" ]] || fail "settings file is not exactly FF FE: $(xxd -p "$ini")"

# The first start shows the browser hint; it is modal, so it goes first.
e2e_wait_until "the first start's hint" e2e_window_shown '^Hint$' || fail "the first start showed no hint"
e2e_close_windows '^Hint$' || fail "the hint did not close"

# Close through the window manager, as the title-bar button does.
wmctrl -i -c "$window"
for _ in $(seq 1 100); do
    kill -0 $app 2>/dev/null || break
    sleep 0.1
done
kill -0 $app 2>/dev/null && fail "vantrel did not exit after the window manager closed it"
wait $app || { cat "$work/app.log"; fail "vantrel exited with an error"; }
app=""

[[ "$(head -c 2 "$ini" | xxd -p)" == "fffe" ]] || fail "byte-order mark lost"
text=$(tail -c +3 "$ini" | iconv -f UTF-16LE -t UTF-8)
for expected in "[Settings]" "Details width=550" "Preview volume=100" "Folder 1=Select a folder..." \
                "Group box folders visible=0" "[Hints]" "Tree-view show=1" "[Window]" "State=0"; do
    grep -qxF "$expected" <<<"${text//$'\r'/}" || fail "missing line '$expected' in: $text"
done
# A session that ends with SIGTERM saves the settings too.
printf '\xff\xfe' >"$ini"
"$exe" >"$work/app2.log" 2>&1 &
app=$!
e2e_wait_until "the second start's window" e2e_window_shown '^Vantrel$' || fail "no window at the second start"
kill -TERM $app
for _ in $(seq 1 100); do
    kill -0 $app 2>/dev/null || break
    sleep 0.1
done
kill -0 $app 2>/dev/null && fail "vantrel did not exit on SIGTERM"
app=""
text=$(tail -c +3 "$ini" | iconv -f UTF-16LE -t UTF-8)
grep -qF "Preview volume=100" <<<"$text" || fail "SIGTERM did not save the settings: $text"

echo "startup_e2e: 2 passed, 0 failed"
