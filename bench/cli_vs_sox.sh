#!/usr/bin/env bash
# sonavel-cli against sox, end to end on a 1-hour 44.1 kHz stereo 16-bit WAV, in one run:
#   1. open, volume 150 %, save (no restore points)  vs  sox in.wav out.wav vol 1.5
#   2. the same with the default two restore points (what undo costs)
#   3. a chain of five operations                     vs  the same sox chain
# Usage: bench/cli_vs_sox.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
cli="$build/cli/sonavel-cli"
work=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-cli-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
command -v sox >/dev/null || { echo "sox is not installed (apt-get install sox)"; exit 1; }

"$build/bench/bench_wav_io_bench" generate "$work/in.wav" "$seconds"
echo "input: $(du -h "$work/in.wav" | cut -f1), $seconds s, 44.1 kHz stereo 16-bit"

timed() {  # label, command...
    local label=$1
    shift
    sync
    local start end
    start=$(date +%s.%N)
    "$@"
    sync
    end=$(date +%s.%N)
    printf '%-48s %8.2f s\n' "$label" "$(echo "$end - $start" | bc)"
}

for round in 1 2; do
    echo "-- round $round"
    timed "sox vol 1.5" sox "$work/in.wav" "$work/sox.wav" vol 1.5
    rm -f "$work/sox.wav"
    timed "sonavel-cli volume 150 (--max-undos 0)" \
        "$cli" --quiet --temp "$work" --max-undos 0 "$work/in.wav" volume percent=150 -o "$work/out.wav"
    rm -f "$work/out.wav"
    timed "sonavel-cli volume 150 (2 restore points)" \
        "$cli" --quiet --temp "$work" "$work/in.wav" volume percent=150 -o "$work/out.wav"
    rm -f "$work/out.wav"
    timed "sox chain: vol, reverse, fade, vol, vol" \
        sox "$work/in.wav" "$work/sox.wav" vol 1.5 reverse fade t 0 0 "$seconds" vol 0.8 vol 0.9
    rm -f "$work/sox.wav"
    timed "sonavel-cli chain of five (--max-undos 0)" \
        "$cli" --quiet --temp "$work" --max-undos 0 "$work/in.wav" volume percent=150 reverse fade-out \
        volume percent=80 volume percent=90 -o "$work/out.wav"
    rm -f "$work/out.wav"
done
