# Shared by the shell tests that start the real program: a window manager
# that is ready before the program maps its window, and a teardown that ends
# every process before removing the folder they write into. Source it.

# Runs the calling script again (its path and arguments given) on a private
# session bus, as a desktop session has, unless it already runs on one; call
# it right after sourcing this file. Without a session bus, libdbus forks a
# helper to launch one at SDL's start, and in a sanitizer build that child can
# hang on a lock another thread held, with the program's start-up worker
# waiting on it.
e2e_on_private_session_bus() {
    if [[ -z "${VANTREL_E2E_INNER:-}" ]]; then
        export VANTREL_E2E_INNER=1
        exec dbus-run-session -- bash "$@"
    fi
}

# Ends the given processes one after another, in the order given (the
# program first, then what it talks to): a termination signal first (the
# program saves its settings on it), a kill after a grace period, and a wait,
# so none is still writing when the caller removes its files. Empty arguments
# are skipped.
e2e_stop() {
    local pid _
    for pid in "$@"; do
        [[ -n "$pid" ]] || continue
        kill -TERM "$pid" 2>/dev/null || continue
        for _ in $(seq 1 150); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    return 0
}

# For an EXIT trap: stops the processes, then removes the folder. A helper
# they started (an accessibility bus, a settings daemon) may still add a file
# while the folder is removed, so removal is tried again; teardown never turns
# a passed test into a failed one.
e2e_cleanup() {
    local dir=$1
    shift
    e2e_stop "$@"
    local _
    for _ in 1 2 3 4 5; do
        rm -rf "$dir" 2>/dev/null && return 0
        sleep 0.2
    done
    echo "note: could not remove $dir" >&2
    return 0
}

# Starts openbox on the current display with its output in the given log and
# returns once it has claimed the display; sets wm to its process id. On a
# busy machine openbox now and then gives up on a display that is already
# there ("Failed to open the display"); a second start then succeeds.
e2e_start_openbox() {
    local log=$1 attempt _
    for attempt in 1 2 3; do
        openbox --sm-disable >"$log" 2>&1 &
        wm=$!
        for _ in $(seq 1 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$wm" 2>/dev/null || break
            sleep 0.05
        done
        kill -0 "$wm" 2>/dev/null && break
        wait "$wm" 2>/dev/null || true
        echo "note: openbox exited at start (attempt $attempt)" >&2
        sleep 0.5
    done
    cat "$log" >&2
    echo "openbox did not start" >&2
    return 1
}

# Starts a private X server on a display number the server itself picks as
# free (xvfb-run -a guesses from lock files, and two tests starting at once
# can guess the same one); exports DISPLAY and sets xvfb to its process id.
# A second argument sets the screen (default 1920x1080x24).
e2e_start_xvfb() {
    local log=$1 screen=${2:-1920x1080x24} fifo number=""
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" >"$log" 2>&1 &
    xvfb=$!
    read -r -t 30 number <"$fifo" || true
    rm -f "$fifo"
    if [[ -z "$number" ]]; then
        cat "$log" >&2
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

# Runs the command again every tenth of a second until it succeeds, for at
# most a minute (a loaded machine and the sanitizers make everything slow);
# says what it waited for when it gives up.
e2e_wait_until() {
    local what=$1 _
    shift
    for _ in $(seq 1 600); do
        "$@" && return 0
        sleep 0.1
    done
    echo "timed out waiting for $what" >&2
    return 1
}

# Whether the window manager has taken the window in: it sets the frame's
# extents when it frames a window.
e2e_window_managed() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='
}

# Whether the window's state, as the window manager set it, holds the atom.
e2e_window_state_has() {
    xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q "$2"
}

# Whether a visible window with this title exists.
e2e_window_shown() {
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

# Closes every visible window with this title through the window manager and
# returns once none is left.
e2e_close_windows() {
    local title=$1 id
    for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null || true); do
        wmctrl -i -c "$id"
    done
    e2e_wait_until "every window titled $title to close" bash -c "! xdotool search --onlyvisible --name '$title' >/dev/null 2>&1"
}
