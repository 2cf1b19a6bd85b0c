#!/bin/sh
# Installs the build into a temporary prefix and checks that a desktop would find the program:
# executables, desktop entry, icon, metainfo and shipped settings in their places, the entry and
# the metainfo valid. Usage: install_test.sh <build dir> <desktop-file-validate> <appstreamcli> "<ini names>"
set -eu
build=$1 validate_desktop=$2 appstreamcli=$3 ini_names=$4
prefix=$(mktemp -d "${TMPDIR:-/tmp}/korvane-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log" >&2; rm -f "$prefix.log"; fail "cmake --install"; }
rm -f "$prefix.log"

for exe in korvane korvane-cli korvane-cli-scan; do
  [ -x "$prefix/bin/$exe" ] || fail "bin/$exe missing"
done
desktop="$prefix/share/applications/korvane.desktop"
metainfo="$prefix/share/metainfo/org.korvane.Korvane.metainfo.xml"
[ -f "$desktop" ] || fail "desktop entry missing"
[ -f "$prefix/share/icons/hicolor/scalable/apps/korvane.svg" ] || fail "icon missing"
[ -f "$metainfo" ] || fail "metainfo missing"
for ini in $ini_names; do
  [ -f "$prefix/share/korvane/$ini" ] || fail "share/korvane/$ini missing"
done

grep -qx "Exec=$prefix/bin/korvane %f" "$desktop" || fail "Exec line: $(grep ^Exec "$desktop")"
grep -qx 'Categories=AudioVideo;Video;Player;' "$desktop" || fail "Categories line"
grep -qx 'Icon=korvane' "$desktop" || fail "Icon line"

"$validate_desktop" "$desktop" || fail "desktop-file-validate"
"$appstreamcli" validate --no-net --strict "$metainfo" || fail "appstreamcli validate"

# The installed command-line tool starts from its new place and finds its helper beside it.
mkdir "$prefix/card"
"$prefix/bin/korvane-cli" --help >/dev/null || fail "korvane-cli --help"
if ! out=$("$prefix/bin/korvane-cli" scan "$prefix/card" 2>&1); then
  echo "$out" >&2
  fail "korvane-cli scan through its installed helper"
fi
echo "installed and valid: $prefix"
