#!/usr/bin/env bash
# Times the amplitude and time effects on a 1-hour 44.1 kHz stereo 16-bit WAV against the sox
# effect doing the same job on the same file, in the same run.
# The editor's "effect" time is the effect alone on the loaded stream (what the user waits for
# in the editor); "total" adds loading the WAV into the stream and saving it, which is what a
# sox run covers.
# Usage: bench/effects_vs_sox.sh [BUILD_DIR] [SECONDS] [EFFECT...]
set -euo pipefail
build=${1:-build}
seconds=${2:-3600}
shift $(( $# > 2 ? 2 : $# ))
effects=("$@")
[ ${#effects[@]} -gt 0 ] || effects=(volume normalize fadein reverse invert echo reverb speed150 speed50 rotate)
bench="$build/bench/bench_effects_bench"
command -v sox >/dev/null || { echo "sox is not installed (apt-get install sox)"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-effects-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TEMP="$work"

sox_args() {
    case $1 in
        volume) echo "vol 1.5" ;;
        normalize) echo "--norm" ;;
        fadein) echo "fade t $seconds" ;;
        reverse) echo "reverse" ;;
        invert) echo "vol -1" ;;
        # 2 repeats at 400 ms, volume 75 %: the editor's echo defaults
        echo) echo "echo 0.8 0.9 400 0.75 800 0.5625" ;;
        reverb) echo "reverb" ;;
        speed150) echo "speed 1.5" ;;
        speed50) echo "speed 0.5" ;;
        *) echo "" ;;
    esac
}

now() { date +%s.%N; }

"$bench" generate "$work/in.wav" "$seconds"
echo "input: $(du -h "$work/in.wav" | cut -f1), $seconds s, 44.1 kHz stereo 16-bit; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
table="$work/table"
for effect in "${effects[@]}"; do
    args=$(sox_args "$effect")
    sox_s="-"
    if [ -n "$args" ]; then
        start=$(now)
        if [ "$args" = "--norm" ]; then
            sox -V1 --norm "$work/in.wav" "$work/sox.wav"
        else
            # shellcheck disable=SC2086
            sox -V1 "$work/in.wav" "$work/sox.wav" $args
        fi
        end=$(now)
        sox_s=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
        rm -f "$work/sox.wav"
    fi
    start=$(now)
    line=$("$bench" run "$work/in.wav" "$effect" "$work/out.wav")
    end=$(now)
    echo "$line"
    rm -f "$work/out.wav" "$work"/*.chl
    total=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
    effect_s=$(echo "$line" | awk '{ print $3 }')
    peak=$(echo "$line" | awk '{ for (i = 1; i < NF; ++i) if ($i == "before,") print $(i + 2) }')
    echo "$effect $effect_s $total $sox_s $peak" >> "$table"
done

echo
printf '%-10s %10s %10s %8s %10s %10s %10s\n' effect "effect s" "total s" "sox s" effect/sox total/sox "peak MiB"
while read -r name effect_s total sox_s peak; do
    if [ "$sox_s" = "-" ]; then
        r1="-"; r2="-"
    else
        r1=$(awk -v a="$effect_s" -v b="$sox_s" 'BEGIN { printf "%.2fx", a / b }')
        r2=$(awk -v a="$total" -v b="$sox_s" 'BEGIN { printf "%.2fx", a / b }')
    fi
    printf '%-10s %10.2f %10.2f %8s %10s %10s %10s\n' "$name" "$effect_s" "$total" "$sox_s" "$r1" "$r2" "$peak"
done < "$table"
