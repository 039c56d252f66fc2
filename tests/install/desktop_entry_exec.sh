#!/usr/bin/env bash
# The desktop entry written for install prefixes with characters the entry
# format reserves (a home such as /home/o'brien, a folder "A & B"): it passes
# the desktop's validator, and a desktop that launches it starts the program
# at that exact path with the file it was given.
set -euo pipefail
source_dir=${1:?source folder}

source "$(dirname "$0")/../support/e2e-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

names=(
    "o'brien"
    "A & B"
    "semi;colon"
    "(paren)"
    "double\"quote"
    "back\`tick"
    "dollar\$HOME"
    "back\\slash"
    "100% sure"
    "pipe|less<than>greater~tilde*star?mark#hash"
    "tab	and
newline"
    "plain-name"
)
song="$work/a song.flac"
: >"$song"
for name in "${names[@]}"; do
    prefix="$work/$name/.local"
    mkdir -p "$prefix/bin"
    # The program is a stand-in that records how it was started.
    record="$work/started-$RANDOM"
    printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@" >"%s"\n' "$record" >"$prefix/bin/vantrel"
    chmod +x "$prefix/bin/vantrel"
    entry="$work/entry/com.tarvex.Vantrel.desktop"
    rm -f "$entry"
    installed=0
    cmake -D "CMAKE_INSTALL_PREFIX=$prefix" -D VANTREL_BINDIR=bin -D VANTREL_APPLICATIONS_DIR=share/applications \
        -D "VANTREL_DESKTOP_TEMPLATE=$source_dir/resources/desktop/com.tarvex.Vantrel.desktop.in" \
        -D "VANTREL_DESKTOP_FILE=$entry" -P "$source_dir/cmake/InstallDesktopEntry.cmake" >"$work/cmake.log" 2>&1 &&
        installed=1
    # CMake reads a backslash in an install path as a folder separator, so
    # nothing installs below such a prefix; the entry is still written first.
    if [[ "$prefix" != *\\* ]]; then
        ((installed)) || { cat "$work/cmake.log"; fail "installing the entry for the prefix $prefix"; }
        cmp "$entry" "$prefix/share/applications/com.tarvex.Vantrel.desktop" || fail "the installed entry differs"
    fi
    [[ -f "$entry" ]] || { cat "$work/cmake.log"; fail "no entry written for the prefix $prefix"; }
    grep '^Exec=\|^TryExec=' "$entry"
    desktop-file-validate "$entry" || fail "desktop-file-validate for the prefix $prefix"
    # GLib looks for the program of an Exec line before it turns %% into %,
    # so it cannot start a program below a folder with a % in its name: for
    # those the entry is only validated.
    [[ "$prefix" == *%* ]] && continue
    gio launch "$entry" "$song" || fail "gio launch for the prefix $prefix"
    e2e_wait_until "the program at $prefix" test -s "$record" || fail "the entry did not start the program at $prefix"
    printf '%s\n' "$prefix/bin/vantrel" "$song" >"$work/expected"
    diff -u "$work/expected" "$record" || fail "the entry for the prefix $prefix started something else"
done
echo "desktop_entry_exec: ok"
