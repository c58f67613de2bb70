#!/usr/bin/env bash
# Builds the tests with clang under AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/, with the fuzz targets, and runs them all there: every test, then each fuzz
# target for a short, fixed time. Any sanitizer report fails the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" clang libfuzzer-14-dev
CC=clang CXX=clang++ cmake -S "$top" -B "$top/build-sanitize" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGMILL_WERROR=ON -DTAGMILL_SANITIZE=ON
cmake --build "$top/build-sanitize"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$top/scripts/leaks.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$top/build-sanitize" --output-on-failure -j 2
