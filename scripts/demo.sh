#!/usr/bin/env bash
# Builds the tree and runs the main job on the built-in default input.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ -x build/default/tools/sarnovellite ]; then
  exec build/default/tools/sarnovellite demo "${1:-demo-out}"
fi
exec build/default/bench/dsp/bench_real_fft
