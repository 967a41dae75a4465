#!/usr/bin/env bash
# Bounded fuzzing, as CI runs it (a few minutes on two cores, the build
# included): the libFuzzer targets of the command-line host's own parsers,
# then a mutation run of the whole executable over small seeds of every
# container it reads (tests/fuzz/mutate_run.py checks the invariants). Any
# crash, sanitizer report or broken invariant fails the script and leaves the
# input in build/fuzz/run. tests/fuzz/README.md describes a longer run.
#   scripts/fuzz-check.sh            FUZZ_TARGET_SECONDS, FUZZ_MUTATION_SECONDS override the budget
set -euo pipefail
cd "$(dirname "$0")/.."
target_seconds="${FUZZ_TARGET_SECONDS:-40}"
mutation_seconds="${FUZZ_MUTATION_SECONDS:-75}"
jobs="$(nproc)"
scripts/deps.sh build fuzz

# The executable under AddressSanitizer + UBSan when CI has built it, else
# the default build.
preset=default
[ -x build/asan/cli/sarnovellite ] && preset=asan
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs" --target sarnovellite fuzz_files >/dev/null
tool="build/$preset/cli/sarnovellite"
files="build/$preset/tests/fuzz/fuzz_files"

run=build/fuzz/run
rm -rf "$run/seeds" "$run/work"
mkdir -p "$run/seeds"
"$files" seeds "$run/seeds"
regressions=tests/fuzz/regressions

status=0
if command -v clang++ >/dev/null; then
  cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/fuzz -j "$jobs" >/dev/null
  for target in fuzz_announced_length fuzz_wav_chunks; do
    corpus="$run/corpus-$target"
    mkdir -p "$corpus"
    # Every kept regression input once, then the bounded run from the seeds
    # and the corpus grown by earlier runs.
    if ls "$regressions/$target"/* >/dev/null 2>&1; then
      "build/fuzz/$target" "$regressions/$target"/* >"$run/$target-regressions.log" 2>&1 ||
        { echo "fuzz-check: $target fails on a kept regression input (see $run/$target-regressions.log)"; status=1; }
    fi
    if "build/fuzz/$target" -max_total_time="$target_seconds" -max_len=65536 -timeout=10 -rss_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$run/crash-$target-" "$corpus" "$run/seeds" \
        >"$run/$target.log" 2>&1; then
      echo "fuzz-check: $target: $(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$run/$target.log" | tail -1 |
        sed -E 's/^#([0-9]+)[[:space:]]+[A-Z]+[[:space:]]+/\1 inputs, /; s/ lim:.*//') in ${target_seconds} s"
    else
      echo "fuzz-check: $target found a fault; the input is in $run (log: $run/$target.log)"
      status=1
    fi
  done
else
  echo "fuzz-check: clang++ not found; libFuzzer targets skipped (scripts/deps.sh fuzz installs it)"
fi

python3 tests/fuzz/mutate_run.py --cli "$tool" --files "$files" --seeds "$run/seeds" \
  --regressions "$regressions/executable" --work "$run/work" --seconds "$mutation_seconds" || status=1
exit "$status"
