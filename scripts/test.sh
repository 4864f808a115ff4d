#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite twice: a
# normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build;
# a third, ThreadSanitizer build runs the tests of the program's threads (the
# platform runtime, the X11 backend, the session and the end-to-end tests).
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

# ThreadSanitizer (GCC 12) keeps its shadow memory at fixed addresses, which
# a kernel that randomises mappings with more than 28 bits (vm.mmap_rnd_bits)
# may hand out first: a program then dies at start ("unexpected memory
# mapping"), often but not always. There the ThreadSanitizer build and run go
# without address randomisation (setarch -R, inherited by every process below
# it), else, where a container forbids that, with 28 bits of randomisation.
tsan=()
tsan_starts() {  # tsan_starts [PREFIX...]: the probe starts ten times in a row
  local i
  for i in 1 2 3 4 5 6 7 8 9 10; do "$@" build/tsan-probe >/dev/null 2>&1 || return 1; done
}
mkdir -p build
echo 'int main() { return 0; }' | c++ -fsanitize=thread -x c++ - -o build/tsan-probe
bits=$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 28)
sudo=; [ "$(id -u)" -eq 0 ] || sudo="sudo -n"
if [ "$bits" -le 28 ] && tsan_starts; then
  :
elif tsan_starts setarch "$(uname -m)" -R; then
  tsan=(setarch "$(uname -m)" -R)
  echo "(ThreadSanitizer runs without address randomisation: vm.mmap_rnd_bits is $bits)"
elif $sudo sysctl -q -w vm.mmap_rnd_bits=28 2>/dev/null && tsan_starts; then
  echo "(vm.mmap_rnd_bits lowered from $bits to 28 for ThreadSanitizer)"
else
  tsan=(none)
fi
if [ "${tsan[*]}" = none ]; then
  echo "== ThreadSanitizer build skipped: its programs cannot start on this kernel (vm.mmap_rnd_bits $bits," \
       "setarch -R not permitted) =="
else
  echo "== ThreadSanitizer build =="
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_TSAN=ON >/dev/null
  "${tsan[@]}" cmake --build build/tsan -j "$jobs"  # the build runs a program it made
fi

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
suite() {  # suite BUILD_DIR [PREFIX...]
  local dir=$1 status=0; shift
  # A real-desktop test that loses a race with the machine's load gets one
  # more run; a fault fails both.
  "$@" ctest --test-dir "$dir" --output-on-failure -j "$jobs" --repeat until-pass:2 || status=$?
  ./scripts/x11-wm-table.sh "$dir"
  return $status
}

echo "== tests, sanitizer build =="
suite build/asan
echo "== tests, normal build =="
suite build/release
if [ "${tsan[*]}" != none ]; then
  # Any report, also of a tessaly program a test started, fails the last test
  # (ThreadSanitizer.NoReports); the suppressions are tests/tsan-suppressions.txt.
  echo "== tests, ThreadSanitizer build =="
  suite build/tsan "${tsan[@]}"
fi
