#!/usr/bin/env bash
# After an install or uninstall below a prefix: lets menus and file managers
# see the changed desktop entry and icon at once. Missing tools are skipped.
set -euo pipefail
prefix=${1:?install prefix}
if command -v update-desktop-database >/dev/null && [[ -d "$prefix/share/applications" ]]; then
    update-desktop-database -q "$prefix/share/applications" || true
fi
if command -v gtk-update-icon-cache >/dev/null && [[ -f "$prefix/share/icons/hicolor/index.theme" ]]; then
    gtk-update-icon-cache -q -t "$prefix/share/icons/hicolor" || true
fi
