#!/usr/bin/env bash
# Builds the Debian package (`make deb`) and checks what is in it
# (scripts/check-deb-contents.sh). With --lintian also runs lintian (slow,
# and optional).
# With --install also installs it with apt, starts the installed program
# under Xvfb, then purges it and checks that nothing is left (needs root).
set -euo pipefail
cd "$(dirname "$0")/.."
lintian=0 install=0
for arg in "$@"; do
    case "$arg" in
        --lintian) lintian=1 ;;
        --install) install=1 ;;
        *) echo "usage: $0 [--lintian] [--install]" >&2; exit 2 ;;
    esac
done
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -f vantrel_*.deb
make deb
deb=$(ls vantrel_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
bash scripts/check-deb-contents.sh "$deb"

if ((lintian)); then
    lintian --no-tag-display-limit "$deb" || echo "lintian reported the issues above"
fi

if ((install)); then
    export DEBIAN_FRONTEND=noninteractive
    before=$(mktemp)
    find /usr /etc -xdev 2>/dev/null | sort >"$before"
    apt-get install -y -qq "./$deb"
    command -v vantrel >/dev/null || fail "vantrel is not on PATH after installing"
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        HOME=$(mktemp -d) SDL_AUDIODRIVER=dummy vantrel & app=$!
        for _ in $(seq 1 100); do
            xdotool search --onlyvisible --name "^Vantrel$" >/dev/null 2>&1 && break
            sleep 0.1
        done
        found=0
        xdotool search --onlyvisible --name "^Vantrel$" >/dev/null 2>&1 && found=1
        kill $app; wait $app || true
        ((found)) || { echo "FAIL: the packaged vantrel showed no window" >&2; exit 1; }
    '
    apt-get purge -y -qq vantrel
    after=$(mktemp)
    find /usr /etc -xdev 2>/dev/null | sort >"$after"
    left=$(comm -13 "$before" "$after" | grep -i vantrel || true)
    rm -f "$before" "$after"
    [[ -z "$left" ]] || fail "left behind after purge: $left"
    echo "installed, started and purged cleanly"
fi
echo "check-deb: ok ($deb)"
