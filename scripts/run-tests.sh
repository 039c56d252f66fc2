#!/usr/bin/env bash
# Runs every test of a build folder under a private X server, so widget and
# end-to-end tests have a real display; audio goes to SDL's disk driver.
set -euo pipefail
build=${1:-build-test}
cd "$build"
export SDL_AUDIODRIVER=disk
export QT_ENABLE_HIGHDPI_SCALING=0
# intercept_tls_get_addr=0: GCC 12's sanitizer runtime takes some of glibc's
# dynamic TLS blocks for an old layout and reads past them, and the leak check
# at exit then dies now and then ("Tracer caught signal 11") with no leak to
# report. Without the interception it scans the threads' static TLS only.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=0:intercept_tls_get_addr=0}
exec xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -j 2 "${@:2}"
