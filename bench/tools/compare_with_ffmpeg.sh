#!/usr/bin/env bash
# Speed of `sarnovellite` against `ffmpeg -af adeclick=m=s` (overlap-save) on
# the same 60-second stereo 44.1 kHz 16-bit file with clicks, and the CLI's
# peak resident memory on 60 s against 600 s of audio (it streams, so the two
# should match), also while it writes the HTML report, label track and
# removed signal for a person to check the repairs.
#
#   bench/tools/compare_with_ffmpeg.sh [SARNOVELLITE] [RUNS]
#
# SARNOVELLITE defaults to build/default/tools/sarnovellite; RUNS (default 3)
# is how often each program runs, the fastest run counting. The click
# material is the built-in demo's damaged music, looped. Needs ffmpeg and
# GNU time (/usr/bin/time). Prints figures only; never fails on them.
set -euo pipefail

cli="${1:-build/default/tools/sarnovellite}"
runs="${2:-3}"
source "$(dirname "$0")/click_material.sh"
ffmpeg -nostdin -hide_banner -loglevel error -stream_loop 9 -i "$work/clicks-60s.wav" \
    -c:a pcm_s16le "$work/clicks-600s.wav"

duration() { ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"; }

# Runs "$@" RUNS times; prints "<fastest wall seconds> <peak RSS in KiB>".
measure() {
    local best="" rss=0
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
            cat "$work/stderr" >&2; exit 1; }
        read -r wall kib <"$work/time"
        if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN{exit !(a<b)}'; then best="$wall"; fi
        [ "$kib" -gt "$rss" ] && rss="$kib"
    done
    echo "$best $rss"
}

seconds60="$(duration "$work/clicks-60s.wav")"
seconds600="$(duration "$work/clicks-600s.wav")"
read -r cliWall cliRss < <(measure "$cli" -q "$work/clicks-60s.wav" "$work/out-cli.wav")
read -r ffWall _ < <(measure ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/clicks-60s.wav" \
    -af adeclick=m=s "$work/out-ffmpeg.wav")
read -r _ cliRss600 < <(measure "$cli" -q "$work/clicks-600s.wav" "$work/out-cli-600.wav")
checks=(--report "$work/check.html" --labels "$work/check.txt" --removed "$work/check.wav")
read -r _ checkRss < <(measure "$cli" -q "${checks[@]}" "$work/clicks-60s.wav" "$work/out-cli.wav")
read -r _ checkRss600 < <(measure "$cli" -q "${checks[@]}" "$work/clicks-600s.wav" "$work/out-cli-600.wav")

awk -v s="$seconds60" -v s600="$seconds600" -v cw="$cliWall" -v fw="$ffWall" -v r60="$cliRss" -v r600="$cliRss600" \
    -v c60="$checkRss" -v c600="$checkRss600" \
    -v runs="$runs" -v cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')" 'BEGIN {
    cw = cw > 0 ? cw : 0.005; fw = fw > 0 ? fw : 0.005   # GNU time reports 10 ms steps
    printf "machine: %s, %d cores\n", cpu, '"$(nproc)"'
    printf "file: %.1f s stereo 44.1 kHz 16-bit WAV with clicks (fastest of %d runs)\n", s, runs
    printf "  sarnovellite          %7.2f s wall  %7.1fx real time\n", cw, s / cw
    printf "  ffmpeg adeclick=m=s  %7.2f s wall  %7.1fx real time\n", fw, s / fw
    printf "  ratio: sarnovellite runs %.1fx as fast as ffmpeg adeclick=m=s\n", fw / cw
    printf "peak resident memory of sarnovellite: %.1f MiB on %.0f s, %.1f MiB on %.0f s\n", r60 / 1024, s, r600 / 1024, s600
    printf "  with --report .html --labels --removed: %.1f MiB on %.0f s, %.1f MiB on %.0f s\n", c60 / 1024, s, c600 / 1024, s600
}'
