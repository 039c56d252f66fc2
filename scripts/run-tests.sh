#!/usr/bin/env bash
# Runs every test of a build folder under a private X server, so widget and
# end-to-end tests have a real display; audio goes to SDL's disk driver.
set -euo pipefail
build=${1:-build-test}
cd "$build"
export SDL_AUDIODRIVER=disk
export QT_ENABLE_HIGHDPI_SCALING=0
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=0}
exec xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -j 2 "${@:2}"
