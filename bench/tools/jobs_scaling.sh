#!/usr/bin/env bash
# How `sarnovellite -j N` scales over files: the same batch of FILES copies of
# a 60-second stereo 44.1 kHz 16-bit WAV with clicks, processed with -j 1 and
# with -j 2 .. -j JOBS, fastest wall time of RUNS runs each.
#
#   bench/tools/jobs_scaling.sh [SARNOVELLITE] [RUNS] [FILES] [JOBS]
#
# Defaults: build/default/cli/sarnovellite, 3 runs, 8 files, -j up to the
# number of cores. Each file's effect runs on a thread of its own, so even
# -j 1 keeps more than one core busy; the script prints how many cores each
# setting kept busy on average (CPU time over wall time) beside the speed-up.
# Needs ffmpeg and GNU time (/usr/bin/time). Prints figures only; never fails
# on them.
set -euo pipefail

cli="${1:-build/default/cli/sarnovellite}"
runs="${2:-3}"
files="${3:-8}"
jobs="${4:-$(nproc)}"
source "$(dirname "$0")/click_material.sh"
mkdir "$work/in"
for i in $(seq "$files"); do cp "$work/clicks-60s.wav" "$work/in/clicks-$i.wav"; done

# "<wall seconds> <cores busy>" of the fastest of RUNS batch runs with -j "$1".
fastest() {
    local best="" busy=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/out"
        /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" -q -j "$1" -o "$work/out" "$work"/in/*.wav \
            >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
        read -r wall user system <"$work/time"
        if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN{exit !(a<b)}'; then
            best="$wall"
            busy="$(awk -v w="$wall" -v u="$user" -v s="$system" 'BEGIN { printf "%.1f", (w > 0 ? (u + s) / w : 0) }')"
        fi
    done
    echo "$best $busy"
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
echo "batch: $files files of 60 s stereo 44.1 kHz 16-bit WAV (fastest of $runs runs)"
read -r one oneBusy < <(fastest 1)
awk -v w="$one" -v n="$files" -v b="$oneBusy" 'BEGIN {
    printf "  -j 1  %6.2f s wall  %7.1fx real time  %s cores busy\n", w, n * 60 / w, b }'
for j in $(seq 2 "$jobs"); do
    read -r wall busy < <(fastest "$j")
    awk -v w="$wall" -v one="$one" -v j="$j" -v n="$files" -v b="$busy" 'BEGIN {
        printf "  -j %d  %6.2f s wall  %7.1fx real time  %s cores busy  speed-up %.2f over -j 1\n", j, w, n * 60 / w, b, one / w }'
done
