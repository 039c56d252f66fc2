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

# Starts the accessibility bus of the current session bus, with its output in
# the given log, and returns once it answers; sets bus to its process id.
e2e_start_a11y_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$1" 2>&1 &
    bus=$!
    e2e_wait_until "the accessibility bus" dbus-send --session --print-reply --dest=org.a11y.Bus \
        /org/a11y/bus org.a11y.Bus.GetAddress
}

# Writes the program's settings file under $HOME (UTF-16LE with a BOM, as
# the program keeps it) with the first start's browser hint already seen;
# further arguments are "name=value" lines of its [Settings] section.
e2e_write_settings() {
    local folder="$HOME/.local/share/Tarvex/Vantrel" lines line
    mkdir -p "$folder"
    lines='[Hints]\r\nTree-view show=0\r\n'
    if (($# > 0)); then
        lines+='[Settings]\r\n'
        for line in "$@"; do
            lines+="${line//%/%%}"'\r\n'
        done
    fi
    # shellcheck disable=SC2059 # the lines are the format, escapes and all
    printf "$lines" | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$folder/vantrel.ini"
}

# A home of the program's own below the given folder, as on a first start:
# HOME (with a Music folder), a private XDG_RUNTIME_DIR, none of the caller's
# XDG folders, Qt's own scaling off and its accessibility bridge on.
e2e_private_home() {
    export HOME="$1/home" XDG_RUNTIME_DIR="$1/run"
    mkdir -p "$HOME/Music" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_MUSIC_DIR XDG_CACHE_HOME
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ENABLE_HIGHDPI_SCALING=0
}

# Runs the Python checks (script and arguments) against the program started
# as $app with its output in $work/app.log; on a failure keeps a screenshot
# as $TMPDIR/<name>_failure.png and shows the program's output. Fails too
# when the program is no longer running at the end.
e2e_run_checks() {
    local name=$1 status=0
    shift
    /usr/bin/python3 "$@" || status=$?
    if ((status != 0)); then
        import -window root "$work/shot.png" 2>/dev/null && cp "$work/shot.png" "${TMPDIR:-/tmp}/${name}_failure.png" || true
        echo "--- program output"
        cat "$work/app.log"
    fi
    kill -0 "$app" 2>/dev/null || { echo "FAIL: vantrel is not running at the end"; status=1; }
    return $status
}

# The start of a test of the real program through the accessibility bus: a
# folder of its own ($work), removed at exit once every process the test
# started ($app, $wm, $bus, $xvfb) has ended, a private X server and home.
e2e_begin() {
    work=$(mktemp -d)
    trap 'e2e_cleanup "$work" "${app:-}" "${wm:-}" "${bus:-}" "${xvfb:-}"' EXIT
    e2e_start_xvfb "$work/xvfb.log"
    e2e_private_home "$work"
}
