#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop needs of it.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
[ -x "$prefix/bin/sonavel-cli" ] || fail "bin/sonavel-cli missing"
[ -x "$prefix/bin/sonavel" ] || fail "bin/sonavel missing"
entry=$prefix/share/applications/sonavel.desktop
[ -f "$entry" ] || fail "desktop entry missing"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
for type in audio/x-wav audio/mpeg; do
    grep -q "^MimeType=.*$type;" "$entry" || fail "desktop entry does not offer $type"
done
grep -q '^Comment\[ru\]=' "$entry" || fail "no Russian comment"
icon=$prefix/share/icons/hicolor/scalable/apps/sonavel.svg
[ -s "$icon" ] || fail "icon missing"
grep -q '<svg' "$icon" || fail "icon is not SVG"
for lang in en ru; do
    [ -s "$prefix/share/doc/sonavel/help/$lang/index.html" ] || fail "help ($lang) missing"
done
# The installed tool runs from its new place.
usage=$("$prefix/bin/sonavel-cli" --help) || fail "installed sonavel-cli does not run"
[[ $usage == "Usage: sonavel-cli"* ]] || fail "installed sonavel-cli prints no usage"
echo "installed tree complete"
