#!/usr/bin/env bash
# Configures and builds the programs, the tests and the benchmarks into build/.
# BUILD_JOBS sets the number of parallel compile jobs (default 4).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja
cmake --build build -j "${BUILD_JOBS:-4}"
