#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time (default 60 s),
# starting from seed corpora written by our own writers. Prints executions and crashes
# per target; exits non-zero when any target crashed.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/.."
# Sanitized programs (tests, and the skin generator run by the build) share these options.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
seconds="${1:-60}"
shift || true
build=build-fuzz
cmake -S . -B "$build" -DVEXO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang > /dev/null
cmake --build "$build" -j"$(nproc)" > /dev/null

work="$build/fuzz-work"
rm -rf "$work/seeds"
mkdir -p "$work/seeds"
"$build/tests/fuzz/vexo_fuzz_seeds" "$work/seeds"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/tests/fuzz/fuzz_*; do targets+=("$(basename "$t")"); done
fi
failed=0
printf '%-24s %12s  %s\n' target executions result
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  corpus="$work/corpus/$name"
  mkdir -p "$corpus" "$work/crashes/$name"
  log="$work/$name.log"
  if ASAN_OPTIONS=detect_leaks=0 "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 \
      -rss_limit_mb=4096 -artifact_prefix="$work/crashes/$name/" "$corpus" "$work/seeds/$name" > "$log" 2>&1; then
    result=clean
  else
    result="CRASH (see $log and $work/crashes/$name/)"
    failed=1
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo "?")
  printf '%-24s %12s  %s\n' "$target" "$runs" "$result"
done
exit $failed
