#!/usr/bin/env bash
# sonavel-cli against sox, end to end on a 1-hour 44.1 kHz stereo 16-bit WAV, in one run:
#   1. open, volume 150 %, save (no restore points)  vs  sox in.wav out.wav vol 1.5
#   2. the same with the default two restore points (what undo costs)
#   3. a chain of five operations                     vs  the same sox chain
#   4. one row per heavier operation (echo, reverb, equalize, filter, pink and brown noise,
#      timbre-keeping tempo, bits 16 -> 24) against its nearest sox effect: medians of three
#      runs alternating with sox, the ratio, and the peak resident memory of each side.
# Usage: bench/cli_vs_sox.sh [BUILD_DIR] [SECONDS] [all|rows] [ROW-PATTERN]
#   rows: part 4 alone; ROW-PATTERN (an extended regular expression): only the rows it matches
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
parts=${3:-all}
only=${4:-}
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

if [ "$parts" = all ]; then
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
fi

# --- 4. Rows of median times and peak memory.
memory() {  # file with /usr/bin/time's output -> KiB, or "-"
    if [ -s "$1" ]; then tail -n 1 "$1"; else echo -; fi
}

measure() {  # result-prefix, command...: seconds and peak KiB into ${prefix}_t / ${prefix}_m
    local prefix=$1
    shift
    local start end
    sync
    start=$(date +%s.%N)
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f %M -o "$work/mem" "$@"
    else
        : >"$work/mem"
        "$@"
    fi
    sync
    end=$(date +%s.%N)
    printf -v "${prefix}_t" '%s' "$(echo "$end - $start" | bc)"
    printf -v "${prefix}_m" '%s' "$(memory "$work/mem")"
    rm -f "$work/out.wav" "$work/sox.wav"
}

median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

# label, sox arguments (a string, split on spaces), sonavel-cli steps (a string). "@IN@" in
# either stands for the input file (a plain word could occur in the temporary folder's name);
# a sox string starting with "-n" synthesises.
row() {
    local label=$1 soxArgs=$2 steps=$3
    if [ -n "$only" ] && ! [[ $label =~ $only ]]; then
        return
    fi
    local st=() sm=() ct=() cm=() i
    for i in 1 2 3; do
        # shellcheck disable=SC2086
        measure sox sox -V1 ${soxArgs//@IN@/$work/in.wav}
        st+=("$sox_t")
        sm+=("$sox_m")
        # shellcheck disable=SC2086
        measure cli "$cli" --quiet --temp "$work" --max-undos 0 ${steps//@IN@/$work/in.wav} -o "$work/out.wav"
        ct+=("$cli_t")
        cm+=("$cli_m")
    done
    local s c
    s=$(median3 "${st[@]}")
    c=$(median3 "${ct[@]}")
    printf '%-26s sonavel %7.2f s %7s KiB | sox %7.2f s %7s KiB | ratio %5.2f\n' "$label" "$c" \
        "$(median3 "${cm[@]}")" "$s" "$(median3 "${sm[@]}")" "$(echo "scale=3; $c / $s" | bc)"
}

gains=100,120,140,160,180,200,180,160,140,120,100,80,60,40,20,0
echo "-- rows: medians of three runs alternating with sox, --max-undos 0, peak resident KiB"
row "echo" "@IN@ $work/sox.wav echo 0.8 0.88 400 0.75 800 0.5625" "@IN@ echo"
row "reverb" "@IN@ $work/sox.wav reverb" "@IN@ reverb"
row "equalize (16 bands)" \
    "@IN@ $work/sox.wav equalizer 100 1q 3 equalizer 1000 1q -3 equalizer 5000 1q 2" \
    "@IN@ equalize from=20 to=20000 gains=$gains"
row "filter keep 1000-2000" "@IN@ $work/sox.wav sinc 1000-2000" "@IN@ filter low=1000 high=2000 mode=keep"
row "pink noise" "-n -r 44100 -c 2 -b 16 $work/sox.wav synth $seconds pinknoise" \
    "new noise colour=pink seconds=$seconds"
row "brown noise" "-n -r 44100 -c 2 -b 16 $work/sox.wav synth $seconds brownnoise" \
    "new noise colour=brown seconds=$seconds"
row "tempo 150 % timbre" "@IN@ $work/sox.wav tempo 1.5" "@IN@ speed percent=150 algorithm=timbre"
row "bits 16 -> 24" "@IN@ -b 24 $work/sox.wav" "@IN@ bits bits=24"
