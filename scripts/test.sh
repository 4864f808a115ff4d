#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite twice: a
# normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build.
# The benchmarks run once, on the normal build; the decoders' fuzz targets
# run for a bounded time (FUZZ_SECONDS, 30 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

build() {  # build DIR [cmake args...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

echo "== normal build =="
build build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build =="
build build/asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON

echo "== benchmarks =="
for b in build/release/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "-- $(basename "$b")"
  "$b" --benchmark_min_time=0.05 --benchmark_color=false
done

echo "== fuzzing (settings file and handoff decoders) =="
./fuzz/run.sh "${FUZZ_SECONDS:-30}" build/fuzz

echo "== tests, sanitizer build =="
ctest --test-dir build/asan --output-on-failure -j "$jobs"
echo "== tests, normal build =="
ctest --test-dir build/release --output-on-failure -j "$jobs"
