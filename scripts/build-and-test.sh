#!/usr/bin/env bash
# Configures, builds and runs every test. Usage:
#   scripts/build-and-test.sh [build-folder] [extra cmake arguments...]
# The build folder defaults to "build"; warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
shift || true

jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B "$build" -DORVEX_WERROR=ON "$@"
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"
