#!/usr/bin/env bash
# Starts Vantrel on the user's display; without one, under Xvfb with a screenshot.
set -euo pipefail
exe=${1:?path of the vantrel executable}
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$exe"
fi
shot="$(pwd)/vantrel-screenshot.png"
echo "No display: starting Vantrel under Xvfb for 6 seconds and saving a screenshot."
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    openbox --sm-disable >/dev/null 2>&1 & wm=$!
    sleep 1
    "$1" & pid=$!
    sleep 5
    import -window root "$2"
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    kill $wm 2>/dev/null || true
' _ "$exe" "$shot"
echo "Screenshot saved to $shot"
