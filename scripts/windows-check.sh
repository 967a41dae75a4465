#!/usr/bin/env bash
# Cross-builds both Windows plug-ins and checks them:
#   32-bit DLL (preset windows-x86): module SARNOVELLITE.dll, exactly one export
#     `main`, SSE only in the processor-class variant files;
#   64-bit DLL (preset windows-x64): module SARNOVELLITE.dll, exports exactly
#     `VSTPluginMain` and `main`, both the same function;
#   both: imports only from DLLs that ship with Windows, the version resource
#     (every string, and the fixed version: the project version the build was
#     configured with);
#   the 64-bit SarnovelliteRestore.dll (module SARNOVELLITERESTORE.dll): the
#     same export table, import and version resource checks, and under Wine
#     its output of the test signal compared with the Linux
#     SarnovelliteRestore.so's.
# These static checks always run. Each DLL's Wine stage (the LoadLibrary test
# host and the unit tests built for Windows, then the DLL's output of a test
# signal with clicks compared with the Linux module's) runs when a tiny program
# of that target runs under Wine here; otherwise one line says which stage was
# skipped and why (a kernel without 32-bit support runs no 32-bit programs).
# Wine runs in throw-away prefixes under a temporary directory.
# Build directories default to the presets' (build/windows-x86, build/windows-x64,
# build/default); WINDOWS_X86_BUILD_DIR, WINDOWS_X64_BUILD_DIR and
# LINUX_BUILD_DIR move them elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-probe.sh
x86_build=${WINDOWS_X86_BUILD_DIR:-build/windows-x86}
x64_build=${WINDOWS_X64_BUILD_DIR:-build/windows-x64}
linux_build=${LINUX_BUILD_DIR:-build/default}
scripts/deps.sh build windows

work=$(mktemp -d "${TMPDIR:-/tmp}/sarnovellite-windows.XXXXXX")
export WINEDEBUG=-all
cleanup() {
  for prefix in "$work"/wine*; do
    if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

step() { printf '\n== %s\n' "$*"; }
fail() { echo "windows-check: $*" >&2; exit 1; }

# Debian installs the 64-bit loader outside PATH; `wine` prefers the 32-bit one.
wine64_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)

# The DLL and the Wine probe only: the test programs are built by the Wine
# stage, so a machine that cannot run them does not spend its time on them.
cross_build() {  # cross_build PRESET BUILD_DIR [MORE TARGETS]
  step "cross build (preset $1)"
  cmake --preset "$1" -B "$2" >/dev/null
  cmake --build "$2" --target Sarnovellite wine_probe "${@:3}" -j "$(nproc)"
  [ -f "$2/plugin/Sarnovellite.dll" ] || fail "$2/plugin/Sarnovellite.dll was not built"
}

# check_export_table OBJDUMP DLL NAME... : the module name, exactly these
# export names (in the table's sorted order), all at one address.
# MODULE overrides the module name (default SARNOVELLITE.dll).
check_export_table() {
  local objdump=$1 dll=$2 want=${MODULE:-SARNOVELLITE.dll}
  shift 2
  local dump module exports addresses
  dump=$("$objdump" -p "$dll")
  module=$(awk '/^Name[ \t]+[0-9a-f]+ / {print $3; exit}' <<<"$dump")
  [ "$module" = "$want" ] || fail "$dll: export table names the module '$module', not $want"
  exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/^\t\[/ {print $NF}' | tr '\n' ' ')
  [ "$exports" = "$* " ] || fail "$dll: exports are '$exports', want exactly $*"
  # Ordinal-only exports have no name; the address table lists every export.
  addresses=$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" | awk '/^\t\[/ {print $(NF-2)}')
  [ "$(wc -l <<<"$addresses")" -eq $# ] || fail "$dll: the export address table has other entries: $addresses"
  [ "$(sort -u <<<"$addresses" | wc -l)" -eq 1 ] || fail "$dll: the exports are not one function"
  echo "$dll: module $want, exports $*"
}

# Sarnovellite reports a processor without its instruction set through the
# Windows message box; NO_MESSAGE_BOX=1 for a DLL that never does (the
# restore effect runs on any processor).
check_imports() {  # check_imports OBJDUMP DLL
  local dump imports user32_functions
  dump=$("$1" -p "$2")
  local system_dlls=" kernel32.dll user32.dll msvcrt.dll advapi32.dll ntdll.dll gdi32.dll "
  imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump")
  for d in $imports; do
    case "$system_dlls" in *" $d "*) ;; *) fail "$2 imports from $d, which is not a Windows system DLL" ;; esac
  done
  if [ "${NO_MESSAGE_BOX:-0}" = 1 ]; then
    echo "$2: imports $(tr '\n' ' ' <<<"$imports")"
    return
  fi
  # The processor-selection failure is reported through the Windows message box.
  user32_functions=$(awk '/DLL Name:/ {in_user32 = (tolower($3) == "user32.dll"); next}
                          in_user32 && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$dump")
  for f in MessageBeep MessageBoxA; do
    grep -qx "$f" <<<"$user32_functions" || fail "$2: $f is not imported from USER32.dll"
  done
  echo "$2: imports $(tr '\n' ' ' <<<"$imports")"
}

# Only the processor-class variant files of the 32-bit DLL may use SSE;
# everything else must run on any i686, since a selection on a processor
# without SSE never reaches them.
check_x86_instruction_sets() {  # check_x86_instruction_sets BUILD_DIR
  local sse_objects=() object folder folders=() checked=0
  # The folders whose objects make up the DLL; a renamed folder must fail
  # here rather than leave its objects unchecked.
  for folder in platform dsp engine effect vst2 plugin; do
    [ -d "$1/$folder" ] || fail "$1/$folder does not exist: update the DLL's folders in check_x86_instruction_sets"
    folders+=("$1/$folder")
  done
  while IFS= read -r -d '' object; do
    case "$object" in */variants/class[123]_*) continue ;; esac
    checked=$((checked + 1))
    if i686-w64-mingw32-objdump -d "$object" | grep -qE '%xmm|mxcsr'; then sse_objects+=("$object"); fi
  done < <(find "${folders[@]}" -name '*.obj' -print0)
  [ ${#sse_objects[@]} -eq 0 ] || fail "SSE instructions outside the variant files: ${sse_objects[*]}"
  echo "SSE instructions only in the processor-class variant files ($checked other objects checked)"
}

check_version_resource() {  # check_version_resource DLL BUILD_DIR [FILE_NAME]
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$2/CMakeCache.txt")
  [ -n "$version" ] || fail "$2/CMakeCache.txt names no project version"
  echo "$1 (project version $version):"
  wrestool -x --raw --type=version "$1" | python3 tests/windows/check_version_resource.py "$version" "${3:-Sarnovellite.dll}" \
    || fail "$1: version resource incomplete"
}

cross_build windows-x86 "$x86_build"
cross_build windows-x64 "$x64_build" SarnovelliteRestore
x86_dll=$x86_build/plugin/Sarnovellite.dll
x64_dll=$x64_build/plugin/Sarnovellite.dll
x64_restore_dll=$x64_build/plugin/SarnovelliteRestore.dll
[ -f "$x64_restore_dll" ] || fail "$x64_restore_dll was not built"

step "export tables and imports"
check_export_table i686-w64-mingw32-objdump "$x86_dll" main
check_export_table x86_64-w64-mingw32-objdump "$x64_dll" VSTPluginMain main
check_imports i686-w64-mingw32-objdump "$x86_dll"
check_imports x86_64-w64-mingw32-objdump "$x64_dll"
MODULE=SARNOVELLITERESTORE.dll check_export_table x86_64-w64-mingw32-objdump "$x64_restore_dll" VSTPluginMain main
NO_MESSAGE_BOX=1 check_imports x86_64-w64-mingw32-objdump "$x64_restore_dll"

step "instruction sets of the 32-bit DLL"
check_x86_instruction_sets "$x86_build"

step "version resources"
check_version_resource "$x86_dll" "$x86_build"
check_version_resource "$x64_dll" "$x64_build"
check_version_resource "$x64_restore_dll" "$x64_build" SarnovelliteRestore.dll

# The reference: the Linux module and a test signal, run through the same
# file runner as the DLLs.
step "Linux module and test signal"
cmake --preset default -B "$linux_build" >/dev/null
cmake --build "$linux_build" --target Sarnovellite SarnovelliteRestore plugin_file_runner -j "$(nproc)"
so=$linux_build/plugin/Sarnovellite.so
restore_so=$linux_build/plugin/SarnovelliteRestore.so
[ -f "$so" ] || fail "$so was not built"
[ -f "$restore_so" ] || fail "$restore_so was not built"
python3 tests/windows/make_click_signal.py "$work/clicks.f32"
for sensitivity in 0 1; do
  "$linux_build/tests/loader/plugin_file_runner" "$so" "$work/clicks.f32" "$work/linux-$sensitivity.f32" "$sensitivity"
done
# The restore effect at its lowest and its default threshold (normalised 0
# and 0.14814815); its delay and hop at 44.1 kHz: 82 ms and 50 ms.
restore_thresholds="0 0.14814815"
restore_delay=3616 restore_hop=2205
for threshold in $restore_thresholds; do
  "$linux_build/tests/loader/plugin_file_runner" "$restore_so" "$work/clicks.f32" \
    "$work/linux-restore-$threshold.f32" "$threshold"
done

# Tests under Wine and the output comparison for one cross build.
#   wine_stage LABEL BUILD_DIR LOADER
wine_stage() {
  local label=$1 build=$2 loader=$3 status=0 out
  step "$label test host and unit tests under Wine"
  cmake --build "$build" -j "$(nproc)"
  # A persistent server for the prefix: Debian's wineserver otherwise exits
  # the moment its last program does, and a test starting just then loses its
  # connection. The first program after the start brings up Wine's background
  # services, which keep its output open; the probe takes that part, with its
  # output going nowhere, so no test's output pipe is held open after it exits.
  wineserver -w 2>/dev/null || true
  if wineserver -p; then
    "$loader" "$build/tests/windows/wine_probe.exe" >/dev/null 2>&1 || true
  else
    echo "windows-check: no persistent Wine server; the tests start their own"
  fi
  ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
  step "$label DLL's output against the Linux module's"
  for sensitivity in 0 1; do
    out="$work/$label-$sensitivity.f32"
    "$loader" "$build/tests/loader/plugin_file_runner.exe" "$build/plugin/Sarnovellite.dll" "$work/clicks.f32" \
      "$out" "$sensitivity"
    python3 tests/windows/compare_plugin_outputs.py "$work/clicks.f32" "$work/linux-$sensitivity.f32" "$out" \
      "$label, sensitivity $sensitivity" || status=1
  done
  if [ -f "$build/plugin/SarnovelliteRestore.dll" ]; then
    step "$label SarnovelliteRestore.dll's output against the Linux module's"
    for threshold in $restore_thresholds; do
      out="$work/$label-restore-$threshold.f32"
      "$loader" "$build/tests/loader/plugin_file_runner.exe" "$build/plugin/SarnovelliteRestore.dll" \
        "$work/clicks.f32" "$out" "$threshold"
      python3 tests/windows/compare_plugin_outputs.py "$work/clicks.f32" "$work/linux-restore-$threshold.f32" \
        "$out" "$label restore, threshold $threshold" "$restore_delay" "$restore_hop" || status=1
    done
  fi
  [ $status -eq 0 ] || fail "the $label DLL's output departs from the Linux module's"
}

step "32-bit Wine stage"
WINEPREFIX="$work/wine32" WINEARCH=win32 \
  run_wine_stage 32-bit wine "$x86_build/tests/windows/wine_probe.exe" wine_stage 32-bit "$x86_build" wine
step "64-bit Wine stage"
WINEPREFIX="$work/wine64" WINEARCH=win64 \
  run_wine_stage 64-bit "$wine64_loader" "$x64_build/tests/windows/wine_probe.exe" \
  wine_stage 64-bit "$x64_build" "$wine64_loader"

step "windows-check passed"
