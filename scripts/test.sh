#!/usr/bin/env bash
# Builds the tree with a CMake preset (default: "default") and runs its whole test suite.
#   scripts/test.sh [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/deps.sh build
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
