#!/usr/bin/env bash
# `sarnovellite -r --report` over an archive of many short files: FILES
# files of 0.5 s stereo 44.1 kHz 16-bit WAV with clicks (cut from the demo's
# damaged music), in folders of 100 (box001/side-0001.wav, ...), plus a
# notes.txt per folder, processed once with -r -o and a CSV report.
#
#   bench/tools/archive_batch.sh [SARNOVELLITE] [FILES] [-j N]
#
# Defaults: build/default/cli/sarnovellite, 10000 files, the CLI's default
# -j. Prints the wall time, files per second, the peak resident memory (GNU
# time) and the batch's summary line. Figures only; never fails on them.
set -euo pipefail

cli="${1:-build/default/cli/sarnovellite}"
files="${2:-10000}"
shift $(( $# >= 2 ? 2 : $# ))
source "$(dirname "$0")/click_material.sh"
ffmpeg -nostdin -hide_banner -loglevel error -ss 1 -t 0.5 -i "$work/demo/demo-damaged.wav" \
    -c:a pcm_s16le "$work/short.wav"
for i in $(seq 0 $(( (files - 1) / 100 ))); do
    box=$(printf '%s/archive/box%03d' "$work" "$i")
    mkdir -p "$box"
    echo "box $i" > "$box/notes.txt"
    for k in $(seq 1 100); do
        n=$(( i * 100 + k ))
        [ "$n" -le "$files" ] || break
        cp "$work/short.wav" "$(printf '%s/side-%04d.wav' "$box" "$k")"
    done
done
sync

/usr/bin/time -f "%e %M" -o "$work/time" "$cli" -q -r "$@" --report "$work/report.csv" \
    -o "$work/out" "$work/archive" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
read -r wall kib <"$work/time"
summary=$("$cli" -r -n "$@" -o "$work/out" "$work/archive" | tail -n 1)
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
awk -v w="$wall" -v n="$files" -v k="$kib" 'BEGIN {
    printf "%d files of 0.5 s: %.2f s wall, %.0f files/s, peak resident memory %.1f MiB\n", n, w, n / w, k / 1024 }'
echo "report: $(wc -l <"$work/report.csv") lines; outputs: $(find "$work/out" -name '*.wav' | wc -l)"
echo "re-run with -n (all skipped): $summary"
