#!/usr/bin/env bash
# Builds the program and starts it with the built-in simulated unit.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"
exec build/bin/zeda --simulate "$@"
