#!/usr/bin/env bash
# Runs a command on a private X server whose windows openbox manages, for
# tests of what a window manager shapes (stacking, focus, real clicks).
# Usage: under-openbox.sh command [arguments...]
# VANTREL_OPENBOX_SCREEN sets the screen (default 1920x1080x24).
set -euo pipefail

source "$(dirname "$0")/e2e-lib.sh"
log=$(mktemp)
trap 'e2e_cleanup "$log" "${wm:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb /dev/null "${VANTREL_OPENBOX_SCREEN:-1920x1080x24}"
e2e_start_openbox "$log"

export QT_QPA_PLATFORM=xcb
"$@"
