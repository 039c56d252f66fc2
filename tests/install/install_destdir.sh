#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) and checks the result as
# a desktop and a user would see it.
set -euo pipefail
build=${1:?build folder}
prefix=${2:?install prefix}

source "$(dirname "$0")/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${xvfb:-}"' EXIT
# A display of our own, so parallel tests never share a window manager.
e2e_start_xvfb "$work/xvfb.log"
fail() { echo "FAIL: $*" >&2; exit 1; }

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
root="$stage$prefix"
app_id=com.tarvex.Vantrel

# Everything where the install layout says.
exe="$root/bin/vantrel"
[[ -x "$exe" ]] || fail "no executable at $exe"
libdir=$(dirname "$(find "$root" -name libbass.so -print -quit)")
[[ "$(basename "$libdir")" == vantrel ]] || fail "libbass.so is not in a private vantrel folder: $libdir"
for lib in libbass.so libbass_ffmpeg.so libBrivaneDialogs.so libBrivaneDialogsWaveform.so; do
    [[ -f "$libdir/$lib" ]] || fail "$lib missing from $libdir"
done
[[ -z "$(find "$root" -name 'libbasstestplugin*')" ]] || fail "a test library was installed"
share="$root/share"
for file in vantrel/help/online-help.html vantrel/help/privacy-policy.html \
    applications/$app_id.desktop metainfo/$app_id.metainfo.xml \
    icons/hicolor/scalable/apps/$app_id.svg; do
    [[ -f "$share/$file" ]] || fail "missing $share/$file"
done
for size in 16 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [[ -f "$png" ]] || fail "missing $png"
    [[ "$(identify -format '%wx%h' "$png")" == "${size}x${size}" ]] || fail "$png is not ${size}x${size}"
done

# The desktop's own validators.
desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$share/metainfo/$app_id.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "appstreamcli validate"; }
grep -qx "Exec=$prefix/bin/vantrel %F" "$share/applications/$app_id.desktop" || fail "the entry does not start the installed program with %F"

# No library search path may name a folder outside the installed tree: each
# entry is relative to the file's own folder ($ORIGIN). The built program in
# the build folder follows the same rule.
check_runpath() {
    local file=$1 entry
    local paths
    paths=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    [[ -z "$paths" ]] && return 0
    IFS=: read -ra entries <<<"$paths"
    for entry in "${entries[@]}"; do
        [[ "$entry" == '$ORIGIN' || "$entry" == '$ORIGIN/'* ]] || fail "$file has the search path entry $entry"
    done
}
while IFS= read -r -d '' file; do
    if [[ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" == '177ELF' ]]; then
        check_runpath "$file"
    fi
done < <(find "$root" -type f -print0)
check_runpath "$build/bin/vantrel"
# The installed program searches its private library folder, relative to
# itself, and nothing else of its own: not its bin folder, where another
# program's copy of a library could sit.
runpath_of() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'; }
expected_runpath="\$ORIGIN/$(realpath --relative-to="$root/bin" "$libdir")"
[[ "$(runpath_of "$exe")" == "$expected_runpath" ]] ||
    fail "the installed program's library search path is $(runpath_of "$exe"), not $expected_runpath"
# The built program in the build folder has the same one, where a link
# leads to the libraries beside it.
[[ "$(runpath_of "$build/bin/vantrel")" == "$expected_runpath" ]] ||
    fail "the built program's library search path is $(runpath_of "$build/bin/vantrel"), not $expected_runpath"
[[ "$(ldd "$build/bin/vantrel" | sed -n 's/.*libbass\.so => \(.*\) (.*/\1/p')" -ef "$build/bin/libbass.so" ]] ||
    fail "the built program does not find libbass.so beside it"

# The installed program, started with an audio file as a file manager would,
# from a copy of the tree in another place: nothing may lead back to the
# build folder or the staging path it was installed to.
moved="$work/moved"
cp -a "$stage" "$moved"
rm -rf "$stage"
exe="$moved$prefix/bin/vantrel"
export HOME="$work/home"
mkdir -p "$HOME/Music/Album"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:duration=1" "$HOME/Music/Album/song.ogg"

e2e_start_openbox "$work/wm.log"
"$exe" "$HOME/Music/Album/song.ogg" >"$work/app.log" 2>&1 &
app=$!
window=""
for _ in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -n1 || true)
    [[ -n "$window" ]] && break
    kill -0 $app 2>/dev/null || { cat "$work/app.log"; fail "the installed vantrel exited early"; }
    sleep 0.1
done
[[ -n "$window" ]] || { cat "$work/app.log"; fail "no window titled Vantrel appeared"; }
maps=$(cat /proc/$app/maps)
grep -q "$moved$prefix/.*/vantrel/libbass.so" <<<"$maps" || fail "libbass.so was not loaded from the installed tree"
grep -q "$moved$prefix/.*/vantrel/libBrivaneDialogs.so" <<<"$maps" || fail "libBrivaneDialogs.so was not loaded from the installed tree"
if grep -q "$(realpath "$build")/bin" <<<"$maps"; then fail "the installed program loaded a library from the build folder"; fi

# The first start's hint is modal: it goes first.
e2e_wait_until "the first start's hint" e2e_window_shown '^Hint$' || fail "the first start showed no hint"
e2e_close_windows '^Hint$' || fail "the hint did not close"
wmctrl -i -c "$window"
# A loaded machine and the sanitizers make start and close slow.
for _ in $(seq 1 300); do
    kill -0 $app 2>/dev/null || break
    sleep 0.1
done
kill -0 $app 2>/dev/null && fail "the installed vantrel did not exit when closed"
wait $app || { cat "$work/app.log"; fail "the installed vantrel exited with an error"; }
app=""
# The browser remembers the folder it was showing: the one of the file it was started with.
iconv -f UTF-16LE -t UTF-8 "$HOME/.config/Tarvex/registry.ini" 2>/dev/null | tr -d '\r' |
    grep -qx "Folder=$HOME/Music/Album/" || {
    iconv -f UTF-16LE -t UTF-8 "$HOME/.config/Tarvex/registry.ini" || true
    fail "the browser did not open at the folder of the file it was started with"
}
echo "install_destdir: ok"
