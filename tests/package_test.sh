#!/usr/bin/env bash
# The Debian package, built from the release tree, unpacked into a fresh root
# and used from there: dependencies, programs, manual pages, desktop entry.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package test: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/brivello_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation2 libsdl2-2.0-0 libfreetype6 libfontconfig1 libpng16-16; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
# apt can satisfy every dependency on this Debian (a dry run changes nothing).
apt-get install -s -qq "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "dependencies"; }

root="$work/root"
dpkg -x "$deb" "$root"
bin="$root/usr/bin"
"$bin/brivello-frame" --help | grep -q '^Usage: brivello-frame' || fail "--help"
"$bin/brivello-frame" --version | grep -q '^brivello-frame (Brivello) ' || fail "--version"
"$bin/brivello-frame" --seed 1 --draws 1 --out "$work/frame.png" || fail "one frame"
[[ $(head -c 8 "$work/frame.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
    fail "frame.png is not a PNG"
# The program starts from its installed path: with no display it says so.
if env -u DISPLAY -u WAYLAND_DISPLAY "$bin/brivello" 2> "$work/err"; then
    fail "brivello ran with no display"
fi
grep -q '^brivello: no display' "$work/err" || fail "brivello said: $(cat "$work/err")"

for page in brivello brivello-frame; do
    MANWIDTH=80 man -P cat -l "$root/usr/share/man/man1/$page.1" > "$work/$page.txt" 2>&1 ||
        fail "man $page"
    grep -q 'EXIT STATUS' "$work/$page.txt" || fail "man $page has no exit statuses"
done
grep -q '^Categories=Education;Science;Math;$' "$root/usr/share/applications/brivello.desktop" ||
    fail "desktop entry"
[[ -s $root/usr/share/icons/hicolor/128x128/apps/brivello.png ]] || fail "icon"
echo "package test: $(basename "$deb"), $(stat -c %s "$deb") bytes: all good"
