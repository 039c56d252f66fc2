#!/bin/sh
# Runs a test executable as the unprivileged user "nobody" (root ignores file
# permissions, so permission cases need another user). The build folder may
# lie where nobody cannot enter (a clone in a 0700 home), so the executable
# and the libraries it loads from the build's bin folder are copied to a
# folder of their own first. Started by a user other than root, it runs the
# executable as it is. Exit code 77 means the case could not be set up.
set -u
exe=$1
shift
if [ "$(id -u)" != 0 ]; then
    exec "$exe" "$@"
fi
if ! command -v runuser >/dev/null 2>&1; then
    echo "skipped: runuser is missing, so nothing can run as nobody"
    exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-nobody-XXXXXX") || exit 77
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$exe" "$work/" || exit 77
bin=${VANTREL_BINARY_DIR:-}/bin
if [ -n "${VANTREL_BINARY_DIR:-}" ] && [ -d "$bin" ]; then
    for lib in "$bin"/*.so "$bin"/*.so.*; do
        [ -f "$lib" ] && cp "$lib" "$work/"
    done
fi
chmod -R a+rX "$work"
home=$work/home
mkdir -p "$home/runtime" && chown -R nobody "$home" && chmod 700 "$home/runtime"
copy=$work/$(basename "$exe")
if ! runuser -u nobody -- test -x "$copy"; then
    echo "skipped: nobody cannot run $copy (is ${TMPDIR:-/tmp} mounted noexec or closed to other users?)"
    exit 77
fi
# Leak checking needs rights an unprivileged child may not have; the parent
# runs the same code with it.
runuser -u nobody -- env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" LD_LIBRARY_PATH="$work" \
    ASAN_OPTIONS=detect_leaks=0 VANTREL_TEST_AS_NOBODY=1 "$copy" "$@"
