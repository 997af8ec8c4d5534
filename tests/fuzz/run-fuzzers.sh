#!/usr/bin/env bash
# Builds the libFuzzer targets of the file readers (clang++, ASan + UBSan) in a build of their
# own and runs each, one after the other, for the given number of seconds. Findings are left
# as BUILD_DIR/artifacts/<target>-crash-* (or leak-, timeout-, oom-) and the script exits 1.
# Usage: tests/fuzz/run-fuzzers.sh [SECONDS] [BUILD_DIR] [TARGET...]
#   targets: mp3_reader wav_reader (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
build=${2:-$root/build-fuzz}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(mp3_reader wav_reader)
command -v clang++ >/dev/null || { echo "clang++ is not installed"; exit 1; }

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" "${targets[@]/#/fuzz_}"

# Little-endian fields as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
# RIFF, WAVE and a "fmt " chunk of size F (16 fields written, then F - 16 zero bytes).
wav_header() {  # channels rate bits [F]
    local ch=$1 rate=$2 bits=$3 f=${4:-16} bps=$((($3 + 7) / 8)) extra=""
    for ((i = 16; i < f; i++)); do extra+='\x00'; done
    printf '%b' "RIFF$(le32 0)WAVEfmt $(le32 "$f")$(le16 1)$(le16 "$ch")$(le32 "$rate")$(le32 $((rate * ch * bps)))$(le16 $((ch * bps)))$(le16 "$bits")$extra"
}
chunk() { printf '%b' "$1$(le32 "$(printf '%b' "$2" | wc -c)")$2"; }  # id, body (printf escapes)
samples='\x01\x00\x02\x00\xff\x7f\x00\x80\x10\x00\x20\x00'

# Damaged WAV files of the kinds met in the wild and in testing: absurd header values, a
# header cut short, a short format chunk, chunks before the data, odd sizes with and without
# their pad byte, no data chunk, a data size past the end.
damaged_wav_seeds() {
    local dir=$1
    { wav_header 1 4000000000 16; chunk data "$samples"; } >"$dir/rate-4e9.wav"
    { wav_header 1 4194305 16; chunk data "$samples"; } >"$dir/rate-above-limit.wav"
    { wav_header 1 0 16; chunk data "$samples"; } >"$dir/rate-0.wav"
    for bits in 0 33 64; do { wav_header 1 8000 $bits; chunk data "$samples"; } >"$dir/bits-$bits.wav"; done
    for ch in 0 300 65535; do { wav_header $ch 8000 16; chunk data "$samples"; } >"$dir/channels-$ch.wav"; done
    { wav_header 2 8000 16; chunk data "$samples"; } | head -c 30 >"$dir/cut-short.wav"
    { wav_header 1 8000 16 14; chunk data "$samples"; } >"$dir/fmt-14.wav"
    { wav_header 1 8000 16 18; chunk data "$samples"; } >"$dir/fmt-18.wav"
    { wav_header 1 8000 16; chunk LIST 'INFO\x49\x53\x46\x54'; chunk fact '\x06\x00\x00\x00'; chunk data "$samples"; } >"$dir/list-fact.wav"
    { wav_header 1 8000 16; chunk LIST 'a\x00\x00'; chunk data "$samples"; } >"$dir/odd-unpadded.wav"
    { wav_header 1 8000 16; chunk LIST 'a\x00\x00'; printf '\x00'; chunk data "$samples"; } >"$dir/odd-padded.wav"
    { wav_header 2 8000 16; chunk LIST 'INFO'; } >"$dir/no-data.wav"
    { wav_header 2 8000 16; printf '%b' "data$(le32 4294967295)$samples"; } >"$dir/data-past-end.wav"
    { printf '%b' "RIFF$(le32 0)WAVEfmt $(le32 16)$(le16 1)$(le16 2)$(le32 8000)$(le32 0)$(le16 0)$(le16 16)"; chunk data "$samples"; } >"$dir/block-align-0.wav"
}

# Damaged MP3 files: a frame cut short, an ID3 tag claiming more than the file, a frame header
# with a forbidden bit-rate index, a WAV where MPEG audio is expected.
damaged_mp3_seeds() {
    local dir=$1 first
    first=$(ls "$dir"/*.mp3 2>/dev/null | head -1)
    [ -n "$first" ] && head -c 300 "$first" >"$dir/cut-short.mp3"
    printf '%b' 'ID3\x04\x00\x00\x7f\x7f\x7f\x7f\xff\xfb\x90\x00' >"$dir/id3-too-long.mp3"
    printf '%b' '\xff\xfb\xf0\x00' >"$dir/bad-bitrate.mp3"
    head -c 2000 /dev/zero | tr '\0' '\377' >"$dir/all-sync.mp3"
    { wav_header 1 8000 16; chunk data "$samples"; } >"$dir/wav-inside.mp3"
}

# Seeds: a few small valid files of each kind, made here, and the damaged ones.
seeds() {
    local dir=$1 kind=$2 tmp
    tmp=$(mktemp -d)
    if [ "$kind" = mp3_reader ]; then
        if command -v lame >/dev/null && command -v sox >/dev/null; then
        sox -n -r 44100 -c 2 -b 16 "$tmp/s44.wav" synth 0.15 sine 440 sine 660
        sox -n -r 22050 -c 1 -b 16 "$tmp/m22.wav" synth 0.2 sine 1000
        sox -n -r 11025 -c 2 -b 16 "$tmp/s11.wav" synth 0.3 square 300
        lame --quiet -b 128 "$tmp/s44.wav" "$dir/cbr128-joint.mp3"
        lame --quiet -b 32 -m m "$tmp/s44.wav" "$dir/cbr32-mono.mp3"
        lame --quiet -V 4 -m s -p "$tmp/s44.wav" "$dir/vbr4-stereo-crc.mp3"
        lame --quiet -b 64 "$tmp/m22.wav" "$dir/mpeg2-mono.mp3"
        lame --quiet -b 24 -m d "$tmp/s11.wav" "$dir/mpeg25-dual.mp3"
        lame --quiet -b 64 -t --tt title --ta artist "$tmp/m22.wav" "$dir/id3-notag.mp3"
        fi
        damaged_mp3_seeds "$dir"
    else
        damaged_wav_seeds "$dir"
        command -v sox >/dev/null || { rm -rf "$tmp"; return; }
        sox -n -r 8000 -c 1 -b 8 "$dir/u8-mono.wav" synth 0.01 sine 440
        sox -n -r 44100 -c 2 -b 16 "$dir/s16-stereo.wav" synth 0.01 sine 440
        sox -n -r 48000 -c 1 -b 24 "$dir/s24-mono.wav" synth 0.01 sine 440
        sox -n -r 96000 -c 3 -b 32 "$dir/s32-3ch.wav" synth 0.005 sine 440
    fi
    rm -rf "$tmp"
}

status=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/artifacts"
    [ -n "$(ls -A "$corpus")" ] || seeds "$corpus" "$target"
    echo "== $target for $seconds s"
    log=$build/$target.log
    if ! timeout $((seconds + 120)) "$build/fuzz_$target" "$corpus" -max_total_time="$seconds" \
        -timeout=25 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1; then
        status=1
        echo "finding (see $log):"
        grep -E "ERROR|SUMMARY|Test unit written" "$log" || tail -20 "$log"
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE" "$log" || true
    grep -E "^#[0-9]+" "$log" | tail -1 || true
done
exit $status
