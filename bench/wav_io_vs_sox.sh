#!/usr/bin/env bash
# Times loading and saving a 1-hour 44.1 kHz stereo 16-bit WAV through the editor's stream
# against a plain `sox in.wav out.wav` copy of the same file, in the same run.
# Usage: bench/wav_io_vs_sox.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
work=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TEMP="$work"
command -v sox >/dev/null || { echo "sox is not installed (apt-get install sox)"; exit 1; }

"$build/bench/bench_wav_io_bench" generate "$work/in.wav" "$seconds"
echo "input: $(du -h "$work/in.wav" | cut -f1), $seconds s, 44.1 kHz stereo 16-bit"
for round in 1 2 3; do
    sync
    start=$(date +%s.%N)
    sox "$work/in.wav" "$work/sox.wav"
    sync
    end=$(date +%s.%N)
    printf 'round %d sox copy (incl. sync): %.3f s\n' "$round" "$(echo "$end - $start" | bc)"
    rm -f "$work/sox.wav"
    sync
    start=$(date +%s.%N)
    "$build/bench/bench_wav_io_bench" copy "$work/in.wav" "$work/out.wav" | sed "s/^/round $round sonavel /"
    sync
    end=$(date +%s.%N)
    printf 'round %d sonavel load+save process (incl. sync): %.3f s\n' "$round" "$(echo "$end - $start" | bc)"
    cmp -s "$work/in.wav" "$work/out.wav" && echo "round $round output identical to input"
    rm -f "$work/out.wav"
done
