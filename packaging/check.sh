#!/bin/sh
# Installs a build into an empty prefix and checks what a desktop reads from it:
# the program, a valid menu entry with an Arabic name, valid metainfo, and the
# icon in the theme. With --package it also makes the Debian package and checks
# that it holds the program and depends on Qt 6.
#   packaging/check.sh build-folder [--package]
# Exits 77 where the validators are not installed.
set -eu
build=${1:?usage: check.sh build-folder [--package]}
package=${2:-}

for tool in desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing"; exit 77; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >/dev/null
usr="$stage/usr"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ -x "$usr/bin/qirtaz" ] || fail "no usr/bin/qirtaz"

entry=$(find "$usr/share/applications" -name '*.desktop')
[ "$(echo "$entry" | wc -w)" -eq 1 ] || fail "not one desktop entry: $entry"
desktop-file-validate "$entry" || fail "desktop entry"
grep -q '^Name\[ar\]=..' "$entry" || fail "no Arabic name in the desktop entry"
icon=$(sed -n 's/^Icon=//p' "$entry")

metainfo=$(find "$usr/share/metainfo" -name '*.metainfo.xml')
appstreamcli validate --no-net "$metainfo" || fail "metainfo"
grep -q "<launchable type=\"desktop-id\">$(basename "$entry")</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $(basename "$entry")"

theme="$usr/share/icons/hicolor"
[ -f "$theme/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 16 32 48 128; do
    png="$theme/${size}x${size}/apps/$icon.png"
    file "$png" | grep -q "PNG image data, $size x $size" || fail "$png is no $size x $size PNG"
done
echo "install: program, desktop entry, metainfo and icons are sound"

[ "$package" = --package ] || exit 0
rm -f "$build"/qirtaz_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/qirtaz_*.deb)
dpkg-deb -c "$deb" | grep " \./usr/bin/qirtaz$" >/dev/null || fail "$deb holds no usr/bin/qirtaz"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q 'libqt6widgets6' || fail "$deb does not depend on Qt 6: $depends"
echo "$depends" | grep -q 'fonts-kacst' || fail "$deb does not depend on its fonts: $depends"
echo "package: $(basename "$deb") depends on $depends"
