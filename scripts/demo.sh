#!/usr/bin/env bash
# Builds the tree and runs the main job on the built-in default input.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
tool=build/default/cli/sarnovellite
if [ ! -x "$tool" ]; then
  echo "demo.sh: $tool was not built (the build has SARNOVELLITE_BUILD_TOOLS off?)" >&2
  exit 1
fi
exec "$tool" demo "${1:-demo-out}"
