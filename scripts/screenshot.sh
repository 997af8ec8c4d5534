#!/usr/bin/env bash
# Builds the editor, opens a generated stereo tone in it on a virtual screen (Xvfb) and writes
# a PNG picture of its main window.
#   scripts/screenshot.sh [OUTPUT.png]      (default: $BUILD_DIR/screenshot.png)
# BUILD_DIR (default build) is the build directory; SONAVEL_LANG (ENG or RUS, default ENG)
# the interface language; SONAVEL_SCREENSHOT_DELAY the wait before the picture, in ms;
# SONAVEL_SCREENSHOT_COMMAND a menu item (e.g. SettingsMI) whose window is taken instead.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
out="${1:-$build/screenshot.png}"

scripts/install-deps
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target sonavel sonavel-cli

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Five seconds of 440 Hz that swells and fades, so the waveform has a shape to show.
"$build/cli/sonavel-cli" --quiet --temp "$work" new channels=2 rate=44100 bits=16 \
    tone freq=440 volume=90 seconds=5 \
    select from=0 to=88199 fade-in deselect \
    select from=132300 to=220499 fade-out deselect -o "$work/tone.wav"

# Settings of their own, with the language already chosen: no first-start window.
mkdir -p "$work/config/Korvane"
printf '[General]\nLang=%s\nTempFolder=%s\n' "${SONAVEL_LANG:-ENG}" "$work/" \
    >"$work/config/Korvane/Sonavel_Pro.conf"

mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
    SONAVEL_SCREENSHOT="$out" SONAVEL_SCREENSHOT_DELAY="${SONAVEL_SCREENSHOT_DELAY:-3000}" \
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$build/ui/sonavel" "$work/tone.wav" \
    2> >(grep -v -e '^ALSA lib' -e '^Cannot connect' -e 'jack server' -e '^JackShm' >&2)
echo "$out"
