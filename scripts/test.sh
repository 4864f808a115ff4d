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
  [ -f "$b" ] && [ -x "$b" ] || continue  # not the Qt code generators' folders
  echo "-- $(basename "$b")"
  "$b" --benchmark_min_time=0.05 --benchmark_color=false
done

echo "== fuzzing (settings file and handoff decoders) =="
./fuzz/run.sh "${FUZZ_SECONDS:-30}" build/fuzz

# Each run ends with the window manager x behaviour table of the real-desktop
# tests, so a regression on one window manager shows at once.
suite() {  # suite BUILD_DIR
  local status=0
  # A real-desktop test that loses a race with the machine's load gets one
  # more run; a fault fails both.
  ctest --test-dir "$1" --output-on-failure -j "$jobs" --repeat until-pass:2 || status=$?
  ./scripts/x11-wm-table.sh "$1"
  return $status
}

echo "== tests, sanitizer build =="
suite build/asan
echo "== tests, normal build =="
suite build/release
