#!/usr/bin/env bash
# Opens the demo's HTML report in a real browser (headless Chromium) and
# checks that it shows its pictures: the rendered page holds one region mark
# per repaired region, and the screenshot has the waveform's and the marks'
# colours in it. Skips with one line when Chromium is missing or cannot start.
#   scripts/report-check.sh [BUILD_DIR]    (default build/default; built already)
# Leaves the screenshot in BUILD_DIR/report-check/demo-report.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
tool=$build/cli/sarnovellite
out=$build/report-check
[ -x "$tool" ] || { echo "report-check: $tool is not built" >&2; exit 1; }
browser=$(command -v chromium || true)
if [ -z "$browser" ]; then echo "report-check: skipped: chromium is not installed"; exit 0; fi

rm -rf "$out" && mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --hide-scrollbars "--user-data-dir=$work/profile")

if ! timeout 60 "$browser" "${flags[@]}" --dump-dom about:blank >"$work/blank.html" 2>"$work/start.log" ||
   ! grep -q '<body' "$work/blank.html"; then
  echo "report-check: skipped: chromium cannot start ($(grep -v '^\s*$' "$work/start.log" | tail -n 1))"
  exit 0
fi

"$tool" -q demo "$out" >/dev/null
page="file://$(realpath "$out/demo-report.html")"
fail() { echo "report-check: $1 (see $out/chromium.log)" >&2; exit 1; }
timeout 120 "$browser" "${flags[@]}" --dump-dom "$page" >"$out/rendered.html" 2>"$out/chromium.log" ||
  fail "chromium could not render the page"
timeout 120 "$browser" "${flags[@]}" --window-size=1200,1600 "--screenshot=$(realpath "$out")/demo-report.png" "$page" \
  >>"$out/chromium.log" 2>&1 || fail "chromium could not take the screenshot"
[ -s "$out/demo-report.png" ] || fail "chromium wrote no screenshot"

# Region rows of the CSV report: past the comment and header lines, with a channel.
regions=$(awk -F, '!/^#/ && $2 ~ /^[0-9]+$/' "$out/demo-regions.csv" | wc -l)
marks=$(grep -o '<rect class="region-mark"' "$out/rendered.html" | wc -l)
closeups=$(grep -o '<svg class="closeup"' "$out/rendered.html" | wc -l)
[ "$regions" -gt 0 ] || { echo "report-check: the demo repaired no region" >&2; exit 1; }
if [ "$marks" -ne "$regions" ]; then
  echo "report-check: the rendered page marks $marks regions, the demo repaired $regions" >&2
  exit 1
fi
[ "$closeups" -gt 0 ] || { echo "report-check: the rendered page has no close-up" >&2; exit 1; }
python3 scripts/png_colours.py "$out/demo-report.png" 7c93a8 d62728 ffe08a
echo "report-check: ok: $marks region marks for $regions regions, $closeups close-ups; screenshot $out/demo-report.png"
