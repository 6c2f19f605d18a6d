#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test. Extra arguments go to the
# configure step (CI passes a build type).
set -euo pipefail
cd "$(dirname "$0")/.."
# The benchmarks are built too (not run), so the widget ones keep compiling.
cmake -S . -B build -DZEDA_WERROR=ON -DZEDA_BENCH=ON "$@" >/dev/null
cmake --build build -j"$(nproc)"
cd build && ctest --output-on-failure -j"$(nproc)"
