#!/usr/bin/env bash
# `make uninstall` after an install into a prefix that already holds another
# program's files: every file the install added is gone, the program's own
# folders too, and what was there before is left exactly as it was.
set -euo pipefail
source_dir=${1:?source folder}
build=${2:?build folder}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A prefix as a user's ~/.local looks: shared folders with someone else's
# program, its menu entry and icon in them; below a home whose name the
# desktop entry format must quote. (Not a ";": CMake writes its install
# manifest as a list, and a ";" in a path splits it in two there.)
prefix="$work/o'brien & co (home)/.local"
mkdir -p "$prefix/bin" "$prefix/share/applications" "$prefix/share/icons/hicolor/48x48/apps"
printf '#!/bin/sh\n' >"$prefix/bin/other"
chmod +x "$prefix/bin/other"
cat >"$prefix/share/applications/org.example.Other.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Other
Exec=other %F
MimeType=audio/flac;
ENTRY
printf 'not really a png' >"$prefix/share/icons/hicolor/48x48/apps/org.example.Other.png"
bash "$source_dir/scripts/refresh-desktop-caches.sh" "$prefix"

# Every file and link with its content, folders left out: the shared ones
# stay (other programs' files may arrive in them later).
snapshot() {
    (cd "$prefix" && find . -not -type d -print0 | sort -z | xargs -0 sha256sum)
}
snapshot >"$work/before"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
[[ -x "$prefix/bin/vantrel" ]] || fail "the install put no program in $prefix/bin"
desktop-file-validate "$prefix/share/applications/com.tarvex.Vantrel.desktop" || fail "desktop-file-validate"
installed=$(wc -l <"$build/install_manifest.txt")
((installed > 10)) || fail "the install manifest lists only $installed files"

make -s -C "$source_dir" uninstall BUILD="$build" PREFIX="$prefix" >"$work/uninstall.log" 2>&1 ||
    { cat "$work/uninstall.log"; fail "make uninstall"; }
snapshot >"$work/after"
diff -u "$work/before" "$work/after" || fail "the tree after uninstall differs from the one before install"
for own in lib/vantrel share/vantrel share/doc/vantrel; do
    [[ ! -e "$prefix/$own" ]] || fail "uninstall left the program's folder $own"
done
echo "install_uninstall: ok"
