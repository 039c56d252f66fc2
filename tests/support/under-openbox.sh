#!/usr/bin/env bash
# Runs a command on a private X server whose windows openbox manages, for
# tests of what a window manager shapes (stacking, focus, real clicks).
# Usage: under-openbox.sh command [arguments...]
set -euo pipefail

if [[ -z "${VANTREL_OPENBOX_INNER:-}" ]]; then
    # A display of our own, so parallel tests never share a window manager.
    export VANTREL_OPENBOX_INNER=1
    exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

log=$(mktemp)
openbox --sm-disable >"$log" 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; rm -f "$log"' EXIT
# Ready once it has claimed the display as its window manager.
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || { cat "$log"; echo "openbox did not start" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
