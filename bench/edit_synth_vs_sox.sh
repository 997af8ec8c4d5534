#!/usr/bin/env bash
# Times the editor's tone and noise synthesis, sample-rate and bit-depth conversion, whole-stream
# copy and one-second insert/delete on an hour of 44.1 kHz stereo 16-bit sound against their sox
# counterparts (and cp for the copy), in the same run, and prints the ratios.
# Usage: bench/edit_synth_vs_sox.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
work=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TEMP="$work"
command -v sox >/dev/null || { echo "sox is not installed (apt-get install sox)"; exit 1; }

declare -A sox_time
timed() {  # KEY COMMAND...: runs the command, records its wall seconds
    local key=$1
    shift
    local start end
    start=$(date +%s.%N)
    "$@" 2>/dev/null
    end=$(date +%s.%N)
    sox_time[$key]=$(echo "$end - $start" | bc)
    printf '%-50s %8.3f s\n' "$*" "${sox_time[$key]}"
}

echo "== sox, same format as the editor's stream (stereo, 44.1 kHz, 16 bits)"
fmt=(-r 44100 -c 2 -b 16)
timed tone sox -n "${fmt[@]}" "$work/tone.wav" synth "$seconds" sine 333
timed noise sox -n "${fmt[@]}" "$work/noise.wav" synth "$seconds" whitenoise
rm -f "$work/noise.wav"
timed rate sox "$work/tone.wav" "$work/rate.wav" rate 22050
rm -f "$work/rate.wav"
timed bits sox "$work/tone.wav" -b 24 "$work/bits.wav"
rm -f "$work/bits.wav"
timed insert sox "$work/tone.wav" "$work/pad.wav" pad 1@0
rm -f "$work/pad.wav"
timed delete sox "$work/tone.wav" "$work/trim.wav" trim 1
rm -f "$work/trim.wav" "$work/tone.wav"

echo "== editor"
"$build/bench/bench_edit_synth_bench" "$seconds" > "$work/editor.txt"
grep -v '^result ' "$work/editor.txt"
out=$(cat "$work/editor.txt")

echo "== table (wall seconds; ratio = editor / counterpart, target <= 1.0, copy <= 2.0 of cp)"
printf '%-8s %10s %12s %10s\n' op editor counterpart ratio
for key in tone noise rate bits insert delete copyto; do
    ours=$(echo "$out" | awk -v k="$key" '$1 == "result" && $2 == k {print $3}')
    if [ "$key" = copyto ]; then
        theirs=$(echo "$out" | awk '$1 == "result" && $2 == "cp" {print $3}')
        name=cp
    else
        theirs=${sox_time[$key]}
        name=sox
    fi
    printf '%-8s %10.3f %8.3f %-3s %10.2f\n' "$key" "$ours" "$theirs" "$name" "$(echo "$ours / $theirs" | bc -l)"
done
