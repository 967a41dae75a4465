#!/usr/bin/env bash
# Cross-builds the 32-bit Windows plug-in (Sarnovellite.dll) and checks it:
#   1. export table: module name SARNOVELLITE.dll, exactly one export, main;
#   2. imports: only DLLs that ship with Windows;
#   3. version resource: every string and the fixed version 2.1.0.0;
#   4. under Wine: the LoadLibrary test host and the unit tests built for Windows;
#   5. the DLL's output of a test signal with clicks against the Linux module's.
# Steps 1-3 always run. Steps 4-5 run when a tiny program of the target runs
# under Wine here (a kernel without 32-bit support runs none); otherwise one
# line says they were skipped and why. Wine runs in a throw-away prefix under a
# temporary directory.
# Build directories default to the presets' (build/windows-x86, build/default);
# WINDOWS_BUILD_DIR and LINUX_BUILD_DIR move them elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-probe.sh
windows_build=${WINDOWS_BUILD_DIR:-build/windows-x86}
linux_build=${LINUX_BUILD_DIR:-build/default}
scripts/deps.sh build windows

work=$(mktemp -d "${TMPDIR:-/tmp}/sarnovellite-windows.XXXXXX")
export WINEDEBUG=-all
cleanup() {
  for prefix in "$work"/wine*; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

step() { printf '\n== %s\n' "$*"; }
fail() { echo "windows-check: $*" >&2; exit 1; }

step "cross build (preset windows-x86)"
cmake --preset windows-x86 -B "$windows_build" >/dev/null
cmake --build "$windows_build" -j "$(nproc)"
dll=$windows_build/plugin/Sarnovellite.dll
[ -f "$dll" ] || fail "$dll was not built"

step "export table and imports of $dll"
dump=$(i686-w64-mingw32-objdump -p "$dll")
module=$(awk '/^Name[ \t]+[0-9a-f]+ / {print $3; exit}' <<<"$dump")
[ "$module" = "SARNOVELLITE.dll" ] || fail "export table names the module '$module', not SARNOVELLITE.dll"
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/^\t\[/ {print $NF}')
[ "$exports" = "main" ] || fail "exports are '$(tr '\n' ' ' <<<"$exports")', want exactly main"
# Ordinal-only exports have no name; the address table counts every export.
address_entries=$(awk '/^\tExport Address Table[ \t]+[0-9a-f]+$/ {print $NF; exit}' <<<"$dump")
[ -n "$address_entries" ] && [ $((16#$address_entries)) -eq 1 ] || fail "the export address table has '$address_entries' entries, want 1"
system_dlls=" kernel32.dll user32.dll msvcrt.dll advapi32.dll ntdll.dll gdi32.dll "
imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump")
for d in $imports; do
  case "$system_dlls" in *" $d "*) ;; *) fail "imports from $d, which is not a Windows system DLL" ;; esac
done
# The processor-selection failure is reported through the Windows message box.
user32_functions=$(awk '/DLL Name:/ {in_user32 = (tolower($3) == "user32.dll"); next}
                        in_user32 && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$dump")
for f in MessageBeep MessageBoxA; do
  grep -qx "$f" <<<"$user32_functions" || fail "$f is not imported from USER32.dll"
done
echo "module SARNOVELLITE.dll, export main, imports: $(tr '\n' ' ' <<<"$imports")"

step "instruction sets"
# Only the processor-class variant files may use SSE; everything else must run
# on any i686, since a selection on a processor without SSE never reaches them.
sse_objects=()
while IFS= read -r -d '' object; do
  case "$object" in */variants/class[123]_*) continue ;; esac
  if i686-w64-mingw32-objdump -d "$object" | grep -qE '%xmm|mxcsr'; then sse_objects+=("$object"); fi
done < <(find "$windows_build"/platform "$windows_build"/plugin "$windows_build"/dsp "$windows_build"/engine "$windows_build"/host \
           "$windows_build"/effect -name '*.obj' -print0)
[ ${#sse_objects[@]} -eq 0 ] || fail "SSE instructions outside the variant files: ${sse_objects[*]}"
echo "SSE instructions only in the processor-class variant files"

step "version resource"
wrestool -x --raw --type=version "$dll" | python3 tests/windows/check_version_resource.py \
  || fail "version resource incomplete"

# The reference: the Linux module and a test signal, run through the same
# file runner as the DLL.
step "Linux module and test signal"
cmake --preset default -B "$linux_build" >/dev/null
cmake --build "$linux_build" --target Sarnovellite plugin_file_runner -j "$(nproc)"
so=$linux_build/plugin/Sarnovellite.so
[ -f "$so" ] || fail "$so was not built"
python3 tests/windows/make_click_signal.py "$work/clicks.f32"
for sensitivity in 0 1; do
  "$linux_build/tests/loader/plugin_file_runner" "$so" "$work/clicks.f32" "$work/linux-$sensitivity.f32" "$sensitivity"
done

# Tests under Wine and the output comparison for one cross build.
#   wine_stage BUILD_DIR DLL LOADER
wine_stage() {
  local build=$1 dll=$2 loader=$3 status=0
  step "test host and unit tests under Wine ($build)"
  ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
  step "output of $dll against the Linux module's"
  for sensitivity in 0 1; do
    "$loader" "$build/tests/loader/plugin_file_runner.exe" "$dll" "$work/clicks.f32" \
      "$work/windows-$sensitivity.f32" "$sensitivity"
    python3 tests/windows/compare_plugin_outputs.py "$work/clicks.f32" "$work/linux-$sensitivity.f32" \
      "$work/windows-$sensitivity.f32" "sensitivity $sensitivity" || status=1
  done
  [ $status -eq 0 ] || fail "the output of $dll departs from the Linux module's"
}

step "32-bit Wine stage"
WINEPREFIX="$work/wine32" WINEARCH=win32 run_wine_stage 32-bit wine "$windows_build/tests/windows/wine_probe.exe" \
  wine_stage "$windows_build" "$dll" wine

step "windows-check passed"
