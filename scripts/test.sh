#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The window tests run
# real widgets without a display. TEST_JOBS sets how many tests run at once
# (default 4). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --parallel "${TEST_JOBS:-4}"
