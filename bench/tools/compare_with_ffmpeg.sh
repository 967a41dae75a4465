#!/usr/bin/env bash
# Speed of `sarnovellite` against `ffmpeg -af adeclick=m=s` (overlap-save) on
# the same 60-second stereo 44.1 kHz 16-bit file with clicks, and the CLI's
# peak resident memory on 60 s against 600 s of audio (it streams, so the two
# should match), also while it writes the HTML report, label track and
# removed signal for a person to check the repairs.
#
#   bench/tools/compare_with_ffmpeg.sh [SARNOVELLITE] [RUNS]
#
# SARNOVELLITE defaults to build/default/cli/sarnovellite; RUNS (default 10)
# is how often each program runs after a warm-up run. Wall times come from
# hyperfine (mean and fastest, to the millisecond; both programs overwrite
# their previous output each run), peak memory from GNU time. The click
# material is the built-in demo's damaged music, looped. Needs ffmpeg,
# hyperfine and GNU time (/usr/bin/time). Prints figures only; never fails
# on them.
set -euo pipefail

cli="${1:-build/default/cli/sarnovellite}"
runs="${2:-10}"
source "$(dirname "$0")/click_material.sh"
ffmpeg -nostdin -hide_banner -loglevel error -stream_loop 9 -i "$work/clicks-60s.wav" \
    -c:a pcm_s16le "$work/clicks-600s.wav"

duration() { ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"; }

# Peak resident memory in KiB of one run of "$@".
peakMemory() {
    /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
    cat "$work/time"
}

# "<mean wall seconds> <fastest wall seconds>" of RUNS runs of the command line $1.
wallTimes() {
    hyperfine -N --style none --warmup 1 --runs "$runs" --export-csv "$work/times.csv" "$1" >/dev/null
    awk -F, 'NR == 2 { print $2, $7 }' "$work/times.csv"
}

seconds60="$(duration "$work/clicks-60s.wav")"
seconds600="$(duration "$work/clicks-600s.wav")"
read -r cliWall cliFast < <(wallTimes "$cli -q $work/clicks-60s.wav $work/out-cli.wav")
read -r ffWall ffFast < <(wallTimes "ffmpeg -nostdin -hide_banner -loglevel error -y -i $work/clicks-60s.wav \
    -af adeclick=m=s $work/out-ffmpeg.wav")
cliRss="$(peakMemory "$cli" -q "$work/clicks-60s.wav" "$work/out-cli.wav")"
cliRss600="$(peakMemory "$cli" -q "$work/clicks-600s.wav" "$work/out-cli-600.wav")"
checks=(--report "$work/check.html" --labels "$work/check.txt" --removed "$work/check.wav")
checkRss="$(peakMemory "$cli" -q "${checks[@]}" "$work/clicks-60s.wav" "$work/out-cli.wav")"
checkRss600="$(peakMemory "$cli" -q "${checks[@]}" "$work/clicks-600s.wav" "$work/out-cli-600.wav")"

awk -v s="$seconds60" -v s600="$seconds600" -v cw="$cliWall" -v cf="$cliFast" -v fw="$ffWall" -v ff="$ffFast" \
    -v r60="$cliRss" -v r600="$cliRss600" -v c60="$checkRss" -v c600="$checkRss600" \
    -v runs="$runs" -v cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')" 'BEGIN {
    printf "machine: %s, %d cores\n", cpu, '"$(nproc)"'
    printf "file: %.1f s stereo 44.1 kHz 16-bit WAV with clicks (mean and fastest of %d runs)\n", s, runs
    printf "  sarnovellite          %6.3f s wall (fastest %6.3f s)  %7.1fx real time\n", cw, cf, s / cw
    printf "  ffmpeg adeclick=m=s   %6.3f s wall (fastest %6.3f s)  %7.1fx real time\n", fw, ff, s / fw
    printf "  ratio: sarnovellite runs %.1fx as fast as ffmpeg adeclick=m=s (fastest runs: %.1fx)\n", fw / cw, ff / cf
    printf "peak resident memory of sarnovellite: %.1f MiB on %.0f s, %.1f MiB on %.0f s\n", r60 / 1024, s, r600 / 1024, s600
    printf "  with --report .html --labels --removed: %.1f MiB on %.0f s, %.1f MiB on %.0f s\n", c60 / 1024, s, c600 / 1024, s600
}'
