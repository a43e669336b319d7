#!/usr/bin/env bash
# Builds everything and runs every test: once in a release build, once with
# AddressSanitizer and UndefinedBehaviorSanitizer; then the multi-instance and real-time
# tests under ThreadSanitizer, and a short pass of every fuzz target so they keep building
# and stay clean (scripts/fuzz.sh runs them longer).
set -euo pipefail
cd "$(dirname "$0")/.."
# Sanitized programs (tests, and the skin generator run by the build) share these options.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
./scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVEXO_SANITIZE=ON -DVEXO_BUILD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXO_SANITIZE_THREAD=ON -DVEXO_BUILD_BENCH=OFF
cmake --build build-tsan -j"$jobs" --target test_realtime
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/test_realtime

./scripts/fuzz.sh "${VEXO_FUZZ_SECONDS:-3}"
