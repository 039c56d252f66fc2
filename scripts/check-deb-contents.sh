#!/usr/bin/env bash
# Checks what a built vantrel .deb holds, without installing it: the control
# fields a user's apt needs, every file where a desktop expects it, and what
# Debian policy asks of every package (a machine-readable copyright, a
# compressed change log, a manual page, a description within 80 columns).
set -euo pipefail
deb=${1:?the .deb to check}
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ "$(basename "$deb")" =~ ^vantrel_[0-9.]+_amd64\.deb$ ]] || fail "unexpected package name $deb"
depends=$(dpkg-deb --field "$deb" Depends)
for need in libmediainfo0v5 libfreeimage3 libsdl2-2.0-0 qt6-wayland libqt6widgets6 libavformat libc6; do
    grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
[[ "$(dpkg-deb --field "$deb" Package)" == vantrel ]] || fail "package name"
[[ "$(dpkg-deb --field "$deb" Architecture)" == amd64 ]] || fail "architecture"
description=$(dpkg-deb --field "$deb" Description)
(($(wc -l <<<"$description") > 1)) || fail "the description has no long part: $description"
if awk 'length > 80 { found = 1 } END { exit !found }' <<<"$description"; then
    fail "a description line is longer than 80 columns: $description"
fi

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/vantrel \
    '/vantrel/libbass.so' '/vantrel/libbass_ffmpeg.so' '/vantrel/libBrivaneDialogs.so' '/vantrel/libBrivaneDialogsWaveform.so' \
    ./usr/share/vantrel/help/online-help.html \
    ./usr/share/applications/com.tarvex.Vantrel.desktop \
    ./usr/share/metainfo/com.tarvex.Vantrel.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/com.tarvex.Vantrel.svg \
    ./usr/share/icons/hicolor/48x48/apps/com.tarvex.Vantrel.png \
    ./usr/share/doc/vantrel/copyright ./usr/share/doc/vantrel/changelog.gz \
    ./usr/share/man/man1/vantrel.1.gz; do
    grep -qF -- "$path" <<<"$contents" || fail "the package lacks $path"
done
if grep -E '\./(home|root|tmp|work)/|/build' <<<"$contents"; then fail "the package holds files from the build machine"; fi

# The documents themselves, read from the package.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
doc="$unpacked/usr/share/doc/vantrel"
head -n1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
grep -q '^Files: \*$' "$doc/copyright" || fail "the copyright file has no paragraph for every file"
gzip -t "$doc/changelog.gz" || fail "changelog.gz is not gzip"
version=$(dpkg-deb --field "$deb" Version)
zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version | grep -qx "$version" ||
    fail "the change log's latest entry is not the package's version $version"
for section in NAME SYNOPSIS FILES ENVIRONMENT; do
    zcat "$unpacked/usr/share/man/man1/vantrel.1.gz" | grep -q "^\.SH $section" || fail "the manual page has no $section"
done
warnings=$(zcat "$unpacked/usr/share/man/man1/vantrel.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
[[ -z "$warnings" ]] || fail "the manual page does not render cleanly: $warnings"
echo "check-deb-contents: ok ($deb)"
