#!/usr/bin/env bash
# The Debian package cpack makes from this build's install rules (what
# `make deb` does in its own release build), checked without installing it.
# Skipped where cpack or dpkg-deb is missing.
set -euo pipefail
source_dir=${1:?source folder}
build=${2:?build folder}
command -v cpack >/dev/null && command -v dpkg-deb >/dev/null || { echo "cpack or dpkg-deb missing: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Uncompressed: the check reads names and fields, and compressing this
# build's debug-laden libraries took most of the test's time.
(cd "$build" && cpack -G DEB -B "$work" -D CPACK_DEBIAN_COMPRESSION_TYPE=none) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; echo "FAIL: cpack" >&2; exit 1; }
bash "$source_dir/scripts/check-deb-contents.sh" "$work"/vantrel_*.deb
