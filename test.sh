#!/usr/bin/env bash
# Sets up, builds and runs every test; the core tests run a second time under ASan and UBSan,
# then every fuzz target runs a fixed number of inputs under both. The web edition is built
# and tested in a headless browser where its tools can be installed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
ym_setup

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"
scripts/package-smoke.sh build/dev
scripts/web-test.sh build/dev/tools/yuanmate-calc

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset asan -j "$jobs"

scripts/fuzz.sh
