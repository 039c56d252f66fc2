#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vantrel needs.
# Packages already present are skipped, so a second run costs only a dpkg query.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libsdl2-dev libglib2.0-dev libx11-dev libxcb1-dev libxdamage-dev libfontconfig-dev
    # the search index's cache (FTS5 is built in)
    libsqlite3-dev
    # run time, loaded by name
    libmediainfo0v5 libfreeimage3
    # application icons drawn from SVG themes
    libqt6svg6
    # Wayland sessions
    qt6-wayland
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-utils imagemagick ffmpeg mediainfo musepack-tools
    adwaita-icon-theme hicolor-icon-theme
    # renders resources/icons/*.svg into the committed .ico files
    librsvg2-bin
    fonts-dejavu-core fonts-wine sound-theme-freedesktop xxd
    openbox xdotool wmctrl
    # end-to-end tests through the accessibility bus
    python3-pyatspi gir1.2-atspi-2.0 dbus-x11 at-spi2-core xclip
    pulseaudio pulseaudio-utils util-linux
    # a private session bus for the file-manager tests (dbus-run-session)
    dbus-daemon
    # installing and packaging: desktop entry and AppStream checks, .deb
    # dependencies, a headless Wayland compositor for the Wayland test
    desktop-file-utils appstream dpkg-dev file weston
    # checks the .deb against Debian policy (scripts/check-deb.sh --lintian)
    lintian
    # the layout check in the tests
    clang-format
    # make fuzz: clang with its libFuzzer runtime
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
