#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Qirtaz developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into an empty prefix and checks what a desktop reads from it:
# the program, a valid menu entry with an Arabic name, valid metainfo, and the
# icon in the theme. With --package it also makes the Debian package and checks
# that it holds the program and its copyright file and depends on Qt 6.
#   packaging/check.sh build-folder [--package]
# Exits 77 where the validators are not installed.
set -eu
build=${1:?usage: check.sh build-folder [--package]}
package=${2:-}

for tool in desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing"; exit 77; }
done
# Debian's own Python, which reads copyright files as Debian's tools do.
/usr/bin/python3 -c 'import debian.copyright' 2>/dev/null || { echo "python3-debian is missing"; exit 77; }

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
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
    fail "the metainfo does not name the program's licence"

# The copyright file, read strictly as machine-readable (DEP-5): every file
# installed falls under a paragraph, the metainfo under CC0-1.0 and the rest
# under GPL-3.0-or-later, each licence with its text.
/usr/bin/python3 - "$usr/share/doc/qirtaz/copyright" "$stage" <<'PY' || fail "copyright file"
import os, sys
from debian.copyright import Copyright
with open(sys.argv[1], encoding="utf-8") as f:
    c = Copyright(f, strict=True)
texts = {p.license.synopsis for p in c.all_license_paragraphs()}
for root, _, names in os.walk(sys.argv[2]):
    for name in names:
        path = os.path.relpath(os.path.join(root, name), sys.argv[2])
        found = c.find_files_paragraph(path)
        assert found, f"{path} has no Files paragraph"
        want = "CC0-1.0" if path.startswith("usr/share/metainfo/") else "GPL-3.0-or-later"
        assert found.license.synopsis == want, f"{path} is under {found.license.synopsis}"
        assert want in texts, f"no text of {want}"
PY

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
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/qirtaz/copyright |
    cmp -s - "$usr/share/doc/qirtaz/copyright" || fail "$deb does not hold the copyright file"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q 'libqt6widgets6' || fail "$deb does not depend on Qt 6: $depends"
echo "$depends" | grep -q 'fonts-kacst' || fail "$deb does not depend on its fonts: $depends"
for needed in libhunspell hunspell-ar hunspell-en-us fonts-noto-color-emoji; do
    echo "$depends" | grep -q "$needed" || fail "$deb does not depend on $needed: $depends"
done
echo "package: $(basename "$deb") depends on $depends"
