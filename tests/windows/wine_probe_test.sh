#!/usr/bin/env bash
# The Windows check's decision whether a target's Wine stage runs, driven with
# fake Wine loaders: a loader that cannot run the probe must lead to one skip
# line and success, one that runs it must run the stage, and a failing stage
# must still fail. Needs no Wine.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-probe.sh"

fakes=$(mktemp -d)
trap 'rm -rf "$fakes"' EXIT
errors=0
fail() { echo "FAIL: $*" >&2; errors=$((errors + 1)); }

loader() {  # loader NAME BODY: a fake loader script called NAME
  printf '#!/bin/sh\n%s\n' "$2" >"$fakes/$1"
  chmod +x "$fakes/$1"
}
loader refuses 'echo "/usr/bin/wine: 40: exec: /usr/lib/wine/wine: Exec format error" >&2; exit 126'
loader silent 'exit 0'
loader crashes 'echo "wine: Unhandled page fault" >&2; exit 3'
loader runs 'echo "$1" >>"$(dirname "$0")/ran"; printf "sarnovellite wine probe ran\r\n"'

stage_ran=0
stage() { stage_ran=1; return "${1:-0}"; }

expect_skip() {  # expect_skip LOADER EXPECTED-LINE
  stage_ran=0
  local output status=0
  output=$(run_wine_stage 32-bit "$fakes/$1" probe.exe stage; echo "stage_ran=$stage_ran") || status=$?
  [ $status -eq 0 ] || fail "$1: status $status, want 0"
  [ "$output" = "$2"$'\n'"stage_ran=0" ] || fail "$1: output '$output', want '$2' and no stage"
}
expect_skip refuses "32-bit Wine tests skipped: this kernel does not run 32-bit programs"
expect_skip silent "32-bit Wine tests skipped: the test program ran under $fakes/silent without printing its line"
expect_skip crashes "32-bit Wine tests skipped: the test program did not run under $fakes/crashes (exit status 3: wine: Unhandled page fault)"
output=$(run_wine_stage 64-bit "$fakes/absent" probe.exe stage) || fail "absent loader: status $?"
[ "$output" = "64-bit Wine tests skipped: $fakes/absent is not installed" ] || fail "absent loader: '$output'"

run_wine_stage 64-bit "$fakes/runs" probe64.exe stage || fail "a working loader: stage status $?"
[ $stage_ran -eq 1 ] || fail "a working loader: the stage did not run"
[ "$(cat "$fakes/ran")" = probe64.exe ] || fail "the probe program given was not what the loader ran"
status=0
run_wine_stage 64-bit "$fakes/runs" probe64.exe stage 5 || status=$?
[ $status -eq 5 ] || fail "a failing stage returned $status, want 5"

[ $errors -eq 0 ] && echo "wine probe: all cases pass"
exit $((errors > 0))
