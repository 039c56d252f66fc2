#!/usr/bin/env bash
# Runs a command on a private X server whose windows openbox manages, for
# tests of what a window manager shapes (stacking, focus, real clicks).
# Usage: under-openbox.sh command [arguments...]
# VANTREL_OPENBOX_SCREEN sets the screen (default 1920x1080x24).
set -euo pipefail

# A private session bus, as a desktop session has. Without one, libdbus
# forks a helper to find one for SDL's start, and in a sanitizer build that
# child can hang on a lock another thread held, with the worker waiting on it.
if [[ -z "${VANTREL_E2E_INNER:-}" ]]; then
    export VANTREL_E2E_INNER=1
    exec dbus-run-session -- bash "$0" "$@"
fi

source "$(dirname "$0")/e2e-lib.sh"
log=$(mktemp)
trap 'e2e_cleanup "$log" "${wm:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb /dev/null "${VANTREL_OPENBOX_SCREEN:-1920x1080x24}"
e2e_start_openbox "$log"

export QT_QPA_PLATFORM=xcb
"$@"
