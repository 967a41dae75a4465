# Sourced by scripts/windows-check.sh: whether this machine can run a Windows
# target's programs under Wine, found by running that target's probe program.
#
#   run_wine_stage LABEL LOADER PROBE.exe FUNCTION [ARG...]
#     Runs LOADER PROBE.exe (in the current WINEPREFIX, which the first run
#     creates). When the probe ran and printed its line, calls FUNCTION ARG...
#     and returns its status. Otherwise prints one line,
#       "LABEL Wine tests skipped: REASON"
#     and returns 0: a machine that cannot run the target is not a failure.

wine_probe_line="sarnovellite wine probe ran"

# Why a probe run with this output did not count, in a few words.
wine_probe_failure_reason() {
  local label=$1 loader=$2 status=$3 output=$4
  if grep -q "Exec format error" <<<"$output"; then
    echo "this kernel does not run ${label} programs"
  elif [ "$status" -eq 127 ] && ! command -v "$loader" >/dev/null 2>&1; then
    echo "$loader is not installed"
  elif [ "$status" -eq 0 ]; then
    echo "the test program ran under $loader without printing its line"
  elif [ "$status" -eq 124 ]; then
    echo "the test program did not finish under $loader"
  else
    local first_line
    first_line=$(grep -m1 -v '^[[:space:]]*$' <<<"$output" || true)
    echo "the test program did not run under $loader (exit status $status${first_line:+: $first_line})"
  fi
}

run_wine_stage() {
  local label=$1 loader=$2 probe=$3
  shift 3
  local output status=0
  output=$(timeout "${WINE_PROBE_TIMEOUT:-300}" "$loader" "$probe" 2>&1) || status=$?
  if [ "$status" -ne 0 ] || ! grep -qx "$wine_probe_line" <<<"${output//$'\r'/}"; then
    echo "$label Wine tests skipped: $(wine_probe_failure_reason "$label" "$loader" "$status" "$output")"
    return 0
  fi
  "$@"
}
