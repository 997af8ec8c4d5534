#!/usr/bin/env bash
# Times the editor's MP3 decoding and encoding against the mpg123 and lame programs on the
# same files, in the same run:
#   decoding a 128 kbit/s stereo MP3 into a stream   vs  mpg123 -w out.wav in.mp3
#   encoding a stream at 128 kbit/s CBR / VBR -V 4    vs  lame -b 128 / lame -V 4 in.wav
# The editor's figures are the in-process times of the operation (the document is already
# open, so loading the WAV for encoding is not counted); the programs' are whole-process times.
# Usage: bench/mp3_vs_tools.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
bench=$build/bench/bench_mp3_bench
work=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-mp3-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TEMP="$work"
for tool in mpg123 lame bc; do
    command -v $tool >/dev/null || { echo "$tool is not installed"; exit 1; }
done

elapsed() {  # runs a command, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

"$bench" generate "$work/in.wav" "$seconds"
echo "input: $(du -h "$work/in.wav" | cut -f1), $seconds s, 44.1 kHz stereo 16-bit"

echo "== encoding"
"$bench" encode "$work/in.wav" "$work/sonavel-cbr.mp3" cbr
printf 'lame -b 128: %.3f s\n' "$(elapsed lame --quiet -b 128 "$work/in.wav" "$work/lame-cbr.mp3")"
"$bench" encode "$work/in.wav" "$work/sonavel-vbr.mp3" vbr
printf 'lame -V 4: %.3f s\n' "$(elapsed lame --quiet -V 4 "$work/in.wav" "$work/lame-vbr.mp3")"
ls -l "$work"/*.mp3 | awk '{print $5, $9}' | sed "s|$work/||"

echo "== decoding (the editor's CBR file, twice each)"
for round in 1 2; do
    "$bench" decode "$work/sonavel-cbr.mp3" | sed "s/^/round $round /"
    rm -f "$work"/*.chl
    printf 'round %d mpg123 -w: %.3f s\n' "$round" \
        "$(elapsed mpg123 -q -w "$work/mpg123.wav" "$work/sonavel-cbr.mp3")"
    rm -f "$work/mpg123.wav"
done
