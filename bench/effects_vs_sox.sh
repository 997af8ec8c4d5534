#!/usr/bin/env bash
# Times the amplitude and time effects on a 1-hour 44.1 kHz stereo 16-bit WAV against the sox
# effect doing the same job on the same file, in the same run.
# The editor's "effect" time is the effect alone on the loaded stream (what the user waits for
# in the editor); "total" adds loading the WAV into the stream and saving it, which is what a
# sox run covers. Processor times are printed beside wall times: on a shared machine the wall
# time also counts the waits for a processor.
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

# Runs a command with its output going to the file $1 and prints "wall user+sys" seconds.
timed() {
    local out=$1
    shift
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" > "$out"
    awk '{ printf "%.2f %.2f", $1, $2 + $3 }' "$work/time"
}

"$bench" generate "$work/in.wav" "$seconds"
echo "input: $(du -h "$work/in.wav" | cut -f1), $seconds s, 44.1 kHz stereo 16-bit; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
table="$work/table"
for effect in "${effects[@]}"; do
    args=$(sox_args "$effect")
    sox_t="- -"
    if [ -n "$args" ]; then
        if [ "$args" = "--norm" ]; then
            sox_t=$(timed /dev/null sox -V1 --norm "$work/in.wav" "$work/sox.wav")
        else
            # shellcheck disable=SC2086
            sox_t=$(timed /dev/null sox -V1 "$work/in.wav" "$work/sox.wav" $args)
        fi
        rm -f "$work/sox.wav"
    fi
    total_t=$(timed "$work/line" "$bench" run "$work/in.wav" "$effect" "$work/out.wav")
    line=$(cat "$work/line")
    echo "$line"
    rm -f "$work/out.wav" "$work"/*.chl
    effect_t=$(echo "$line" | awk '{ gsub(/\)/, ""); print $3, $6 }')
    peak=$(echo "$line" | awk '{ for (i = 1; i < NF; ++i) if ($i == "before,") print $(i + 2) }')
    echo "$effect $effect_t $total_t $sox_t $peak" >> "$table"
done

echo
echo "wall and processor (user+sys) seconds; ratios of processor time to sox's"
printf '%-10s %13s %13s %13s %10s %10s %9s\n' effect "effect w/cpu" "total w/cpu" "sox w/cpu" effect/sox total/sox "peak RSS MiB"
while read -r name ew ec tw tc sw sc peak; do
    if [ "$sc" = "-" ]; then
        r1="-"; r2="-"
    else
        r1=$(awk -v a="$ec" -v b="$sc" 'BEGIN { printf "%.2fx", a / b }')
        r2=$(awk -v a="$tc" -v b="$sc" 'BEGIN { printf "%.2fx", a / b }')
    fi
    printf '%-10s %6.2f/%6.2f %6.2f/%6.2f %6s/%6s %10s %10s %9s\n' "$name" "$ew" "$ec" "$tw" "$tc" "$sw" "$sc" "$r1" "$r2" "$peak"
done < "$table"
