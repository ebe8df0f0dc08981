#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The window tests run
# real widgets without a display. A compiler warning in our own sources fails
# the build. TEST_JOBS sets how many tests run at once (default 4). Exits
# non-zero when anything fails.
#
# scripts/test.sh --sanitize builds into build-sanitize/ with AddressSanitizer
# and UndefinedBehaviorSanitizer instead (no benchmarks); the first finding ends
# the test program that met it, so the test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
options=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
case "${1:-}" in
  "") ;;
  --sanitize)
    build_dir=build-sanitize
    # Without -Werror: the instrumentation makes GCC 12 warn inside the standard
    # library (-Wmaybe-uninitialized in std::function), where the plain build,
    # the one checked for warnings, does not.
    options=(-DVOLMENDER_SANITIZE=ON -DVOLMENDER_BUILD_BENCH=OFF)
    # Set before the build too: it runs each test program to list its tests.
    # Leak checking is on (the default) and needs no suppressions: the window
    # tests run offscreen without the embedded browser, and leave no leaks.
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    ;;
  *)
    echo "usage: $0 [--sanitize]" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh
BUILD_DIR="$build_dir" scripts/build.sh "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "${TEST_JOBS:-4}"
# What the mutation test repaired and refused, per shard and in total: ctest
# keeps what a passing test printed in its log only.
awk '/^mutation shard/ { print; repaired += $4; refused += $6; shards++ }
     END { if (shards) print "mutation test: " repaired " repaired, " refused " refused" }' \
  "$build_dir/Testing/Temporary/LastTest.log"
