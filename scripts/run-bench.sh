#!/usr/bin/env bash
# Runs every benchmark executable of a build folder, one after another.
set -euo pipefail
build=${1:-build-bench}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-disk}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in "$build"/bin/bench_*; do
    [[ -x "$b" ]] || continue
    echo "== $(basename "$b")"
    "$b"
done
