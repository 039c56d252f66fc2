#!/usr/bin/env bash
# The real program on a headless Weston, at compositor scale 1 and 2: it
# stays up, answers (a termination signal closes it through its event loop,
# which saves its window settings), and at scale 2 draws its surfaces at the
# output's scale, so they are neither blurred by the compositor nor half size.
set -euo pipefail
exe=${1:?vantrel executable}

source "$(dirname "$0")/../support/e2e-lib.sh"
e2e_on_private_session_bus "$0" "$@"
work=$(mktemp -d)
trap 'e2e_cleanup "$work" "${app:-}" "${watch:-}" "${weston:-}"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export HOME="$work/home"
mkdir -p "$HOME"
unset DISPLAY XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR
ini="$HOME/.local/share/Tarvex/Vantrel/vantrel.ini"

for scale in 1 2; do
    rm -rf "$HOME/.local" "$HOME/.config"
    socket="vantrel-test-$scale"
    weston --backend=headless-backend.so --socket="$socket" --width=1600 --height=1000 --scale="$scale" \
        --debug --idle-time=0 >"$work/weston-$scale.log" 2>&1 &
    weston=$!
    for _ in $(seq 1 100); do
        [[ -S "$XDG_RUNTIME_DIR/$socket" ]] && break
        sleep 0.1
    done
    [[ -S "$XDG_RUNTIME_DIR/$socket" ]] || { cat "$work/weston-$scale.log"; fail "weston did not start"; }
    export WAYLAND_DISPLAY="$socket"

    # Weston's protocol log shows what scale the program's surfaces use.
    weston-debug proto >"$work/proto-$scale.log" 2>&1 &
    watch=$!
    QT_QPA_PLATFORM=wayland "$exe" >"$work/app-$scale.log" 2>&1 &
    app=$!
    for _ in $(seq 1 300); do
        kill -0 $app 2>/dev/null || { cat "$work/app-$scale.log"; fail "vantrel exited early at scale $scale"; }
        grep -q 'xdg_toplevel.*set_title("Vantrel")' "$work/proto-$scale.log" && break
        sleep 0.1
    done
    # Up and staying up until the first start's hint, a child window, is shown.
    hint_shown() { grep -q 'xdg_toplevel.*set_title("Hint")' "$work/proto-$scale.log"; }
    e2e_wait_until "the hint window at scale $scale" hint_shown || true
    kill -0 $app 2>/dev/null || { cat "$work/app-$scale.log"; fail "vantrel exited after showing its window at scale $scale"; }
    grep -q 'xdg_toplevel.*set_title("Vantrel")' "$work/proto-$scale.log" ||
        { cat "$work/app-$scale.log"; fail "no toplevel titled Vantrel at scale $scale"; }
    # The compositor ties the window to the desktop entry, its name and icon,
    # by the app id: the entry's id.
    grep -q 'xdg_toplevel.*set_app_id("com.tarvex.Vantrel")' "$work/proto-$scale.log" ||
        fail "the window's app id is not the desktop entry's id at scale $scale"
    # A first start shows the browser hint. It must be a child of the main
    # window: a compositor places and stacks a child over its parent, while a
    # free toplevel may open anywhere, behind the window it belongs to.
    main_toplevel=$(grep -o 'xdg_toplevel@[0-9]*\.set_title("Vantrel")' "$work/proto-$scale.log" | head -n1 | cut -d. -f1)
    hint_toplevel=$(grep -o 'xdg_toplevel@[0-9]*\.set_title("Hint")' "$work/proto-$scale.log" | head -n1 | cut -d. -f1)
    [[ -n "$hint_toplevel" ]] || fail "the first start showed no hint window at scale $scale"
    grep -q "$hint_toplevel\.set_parent($main_toplevel)" "$work/proto-$scale.log" ||
        fail "the hint window is not a child of the main window at scale $scale"
    if [[ $scale == 2 ]]; then
        grep -q 'wl_surface@[0-9]*\.set_buffer_scale(2)' "$work/proto-$scale.log" ||
            fail "at compositor scale 2 the window's buffers are not drawn at scale 2 (the compositor would stretch them)"
    fi
    # The main window fills the output in the compositor's logical pixels at
    # both scales (maximized), so scale 2 gives neither a half-size window
    # nor, with the buffer scale above, a stretched one.
    size=$(grep -o 'xdg_toplevel@[0-9]*\.configure([1-9][0-9]*, [1-9][0-9]*' "$work/proto-$scale.log" | head -n1 | sed 's/.*(//')
    [[ -n "$size" ]] || fail "the compositor never sized the window at scale $scale"
    grep -q "set_window_geometry(0, 0, $size)" "$work/proto-$scale.log" ||
        fail "the window does not take the $size it was given at scale $scale"
    kill -TERM $app
    for _ in $(seq 1 300); do
        kill -0 $app 2>/dev/null || break
        sleep 0.1
    done
    kill -0 $app 2>/dev/null && fail "vantrel did not close on SIGTERM at scale $scale"
    wait $app || { cat "$work/app-$scale.log"; fail "vantrel exited with an error at scale $scale"; }
    app=""
    iconv -f UTF-16LE -t UTF-8 "$ini" | grep -q '^\[Window\]' || fail "closing did not save the window's settings at scale $scale"
    kill $watch $weston 2>/dev/null || true
    wait $weston 2>/dev/null || true
    watch=""
    weston=""
done
echo "wayland_e2e: ok"
