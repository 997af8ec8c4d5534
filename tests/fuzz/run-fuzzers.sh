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

# Seeds: a few small valid files of each kind, made here.
seeds() {
    local dir=$1 kind=$2 tmp
    tmp=$(mktemp -d)
    if [ "$kind" = mp3_reader ]; then
        command -v lame >/dev/null && command -v sox >/dev/null || { rm -rf "$tmp"; return; }
        sox -n -r 44100 -c 2 -b 16 "$tmp/s44.wav" synth 0.15 sine 440 sine 660
        sox -n -r 22050 -c 1 -b 16 "$tmp/m22.wav" synth 0.2 sine 1000
        sox -n -r 11025 -c 2 -b 16 "$tmp/s11.wav" synth 0.3 square 300
        lame --quiet -b 128 "$tmp/s44.wav" "$dir/cbr128-joint.mp3"
        lame --quiet -b 32 -m m "$tmp/s44.wav" "$dir/cbr32-mono.mp3"
        lame --quiet -V 4 -m s -p "$tmp/s44.wav" "$dir/vbr4-stereo-crc.mp3"
        lame --quiet -b 64 "$tmp/m22.wav" "$dir/mpeg2-mono.mp3"
        lame --quiet -b 24 -m d "$tmp/s11.wav" "$dir/mpeg25-dual.mp3"
        lame --quiet -b 64 -t --tt title --ta artist "$tmp/m22.wav" "$dir/id3-notag.mp3"
    else
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
