#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up what this machine lacks, builds, and then runs the program or its tests.
#   ./setup.sh run          build and start Qirtaz
#   ./setup.sh test         build and run every test
#   ./setup.sh test asan    the same under the address, undefined and leak sanitizers
#   ./setup.sh build [asan] what the tests need, and the build, without running them
set -eu
cd "$(dirname "$0")"

what=${1:-run}
preset=${2:-dev}

# qt6-translations-l10n: Qt's own words in Arabic, built into the program.
# fonts-urw-base35 holds Z003, the lettering of the program's name, which the
# pictures' drawings need on a display of more pixels per inch.
# fonts-noto-color-emoji draws the emoji of posts written on phones (🔹, 📍),
# which no other face here has; fontconfig falls back to it by itself.
# libhunspell-dev, hunspell-ar and hunspell-en-us: the spelling of Arabic and
# English words, checked offline.
# libxml2-dev: its HTML reader reads a pasted web page in time linear in its
# size however deeply the page nests, on a thread of its own.
# libfontconfig-dev: the font configuration, read ahead while the program starts.
packages="cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-translations-l10n fonts-kacst fonts-dejavu-core fonts-urw-base35 fonts-noto-color-emoji libhunspell-dev hunspell-ar hunspell-en-us libxml2-dev libfontconfig-dev"
if [ "$what" = test ] || [ "$what" = build ]; then
    # The end-to-end test drives the real program on a virtual X display.
    packages="$packages xvfb xauth x11-xkb-utils openbox xdotool xclip x11-utils python3 imagemagick"
    # ... and walks it as a screen reader does, over the accessibility bus.
    packages="$packages dbus at-spi2-core python3-pyatspi"
    # The same session under strace, with a session bus as a desktop has one.
    packages="$packages strace dbus-daemon"
    # Redrawing the pictures from their drawings, to check the committed files.
    packages="$packages librsvg2-bin python3-pil"
    # Checking an install as a desktop reads it (the copyright file as Debian's
    # tools do), and making the Debian package.
    packages="$packages desktop-file-utils appstream dpkg-dev file python3-debian"
fi

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root=sudo
    $as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
fi

cmake --preset "$preset"
cmake --build --preset "$preset"

case "$what" in
run)
    exec "./build/qirtaz"
    ;;
test)
    ctest --preset "$preset"
    ;;
build) ;;
*)
    echo "usage: $0 run | test [dev|asan] | build [dev|asan]" >&2
    exit 2
    ;;
esac
