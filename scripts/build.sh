#!/usr/bin/env bash
# Configures and builds the programs, the tests and the benchmarks into build/
# (BUILD_DIR names another folder). Arguments are passed to CMake as options,
# after the defaults, so they win: scripts/test.sh turns warnings into errors
# that way, while a plain build (the demo's) never fails on a warning.
# BUILD_JOBS sets the number of parallel compile jobs (default 4);
# BUILD_TARGETS, a list of target names, builds only those.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF "$@"
# shellcheck disable=SC2086  # the target names are split into words on purpose
cmake --build "$build_dir" -j "${BUILD_JOBS:-4}" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
