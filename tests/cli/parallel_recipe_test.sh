#!/usr/bin/env bash
# Runs the GNU parallel recipe of cli/README.md on this machine (--sshlogin :)
# over three good files and a broken one: every good file is processed, the
# merged report has a row for each of the four, and the failure shows in the
# exit status. Exits 77 (skipped) when GNU parallel is not installed.
set -uo pipefail
cli=$1
command -v parallel >/dev/null || { echo "GNU parallel not installed"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/sarnovellite-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/reports"
"$cli" -q demo "$work/demo" >/dev/null || exit 1
for name in a b c; do cp "$work/demo/demo-damaged.wav" "$work/in/$name.wav"; done
echo "not audio" > "$work/in/broken.wav"

cd "$work"
# The recipe, as documented:
find in -name '*.wav' | parallel --will-cite --sshlogin : --joblog jobs.log \
    "$cli"' -q --report reports/{/.}.csv -o out {}'
status=$?
{ head -n 2 "$(ls reports/*.csv | head -n 1)"; for f in reports/*.csv; do tail -n +3 "$f"; done; } > report.csv

fail() { echo "parallel recipe: $*"; cat report.csv jobs.log; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status, expected 1 (one failed file)"
for name in a b c; do [ -s "out/$name.wav" ] || fail "out/$name.wav missing"; done
[ "$(grep -c '^# sarnovellite ' report.csv)" -eq 1 ] || fail "not one header line"
for name in a b c; do grep -q "^in/$name.wav,[0-9]" report.csv || fail "no regions for $name.wav"; done
grep -q '^in/broken.wav,,,,,,failed: ' report.csv || fail "no failure row for broken.wav"
echo "parallel recipe: ok"
