#!/usr/bin/env bash
# Start-up to the first paint: the program against a bare Qt window of the
# same shape, runs interleaved on one private X server, each timed until the
# server sees the window drawn (X Damage), not merely mapped.
set -euo pipefail
bin=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-20}
if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A settings file that keeps the start-up hint away, as after the first run.
mkdir -p "$home/.local/share/Tarvex/Vantrel"
printf '\xff\xfe' >"$home/.local/share/Tarvex/Vantrel/vantrel.ini"
printf '[Hints]\r\nTree-view show=0\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$home/.local/share/Tarvex/Vantrel/vantrel.ini"
export HOME="$home" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
unset QT_QPA_PLATFORM
"$bin/startup_timer" "$runs" "$bin/startup_bare_window" -- "$bin/vantrel"
