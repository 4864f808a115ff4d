#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite twice: a
# normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build;
# a third, ThreadSanitizer build runs the tests of the program's threads (the
# platform runtime, the X11 backend, the session and the end-to-end tests).
# The benchmarks run once, on the normal build; the decoders' fuzz targets
# run for a bounded time (FUZZ_SECONDS, 30 by default). Every phase prints
# the time it took, and a table of them ends the run; any failure makes the
# exit status non-zero, after the phases that do not depend on it have run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
# Most real-desktop rows wait for a window manager or a client rather than
# compute, so twice as many run at once as there are cores.
test_jobs=$((jobs * 2))
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

timings=()
failed=()
run_start=$SECONDS
summary() {
  local total=$((SECONDS - run_start))
  echo "== phase times =="
  printf '%s\n' "${timings[@]}"
  printf '%-48s %3dm%02ds\n' "whole run" $((total / 60)) $((total % 60))
  if [ ${#failed[@]} -gt 0 ]; then
    local IFS=,
    echo "FAILED: ${failed[*]}"
  fi
}
trap summary EXIT

note() {  # note NAME START STATUS: notes a phase's time and outcome
  local name=$1 took=$((SECONDS - $2)) status=$3 mark=""
  [ "$status" -eq 0 ] || { mark="  FAILED"; failed+=("$name"); }
  timings+=("$(printf '%-48s %3dm%02ds%s' "$name" $((took / 60)) $((took % 60)) "$mark")")
  echo "-- $name took ${took}s${mark}"
}

phase() {  # phase NAME COMMAND...: runs one phase and notes its time and outcome
  local name=$1 start=$SECONDS status=0
  shift
  echo "== $name =="
  "$@" || status=$?
  note "$name" "$start" "$status"
  return $status
}

beside_pid=
beside() {  # beside NAME LOG COMMAND...: starts a phase that runs beside the next one
  beside_name=$1 beside_log=$2 beside_start=$SECONDS
  shift 2
  "$@" >"$beside_log" 2>&1 &
  beside_pid=$!
}
joined() {  # waits for the phase started by beside, shows its output and notes it
  local status=0
  wait "$beside_pid" || status=$?
  echo "== $beside_name (ran beside the phase before) =="
  cat "$beside_log" || true
  note "$beside_name" "$beside_start" "$status"
}

build() {  # build DIR [PREFIX...] -- [cmake args...]
  local dir=$1 prefix=()
  shift
  while [ "$1" != "--" ]; do prefix+=("$1"); shift; done
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  "${prefix[@]}" cmake --build "$dir" -j "$jobs"
}

phase "dependencies" ./scripts/install-deps.sh
phase "normal build" build build/release -- -DCMAKE_BUILD_TYPE=RelWithDebInfo
phase "sanitizer build" build build/asan -- -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=ON

# ThreadSanitizer (GCC 12) keeps its shadow memory at fixed addresses, which
# a kernel that randomises mappings with more than 28 bits (vm.mmap_rnd_bits)
# may hand out first: a program then dies at start ("unexpected memory
# mapping"), often but not always. There the ThreadSanitizer build and run go
# without address randomisation (setarch -R, inherited by every process below
# it), else, where a container forbids that, with 28 bits of randomisation.
tsan=(env)
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
  tsan=()
  echo "== ThreadSanitizer build skipped: its programs cannot start on this kernel (vm.mmap_rnd_bits $bits," \
       "setarch -R not permitted) =="
fi
if [ ${#tsan[@]} -gt 0 ]; then
  # The build runs a program it made (the test lists), hence the prefix.
  phase "ThreadSanitizer build" build build/tsan "${tsan[@]}" -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_TSAN=ON
fi

benchmarks() {
  local b status=0
  for b in build/release/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue  # not the Qt code generators' folders
    echo "-- $(basename "$b")"
    "$b" --benchmark_min_time=0.05 --benchmark_color=false || status=1
  done
  return $status
}
# The fuzzers build and run beside the benchmarks, which wait on a window
# manager or one thread most of the time; at the lowest priority, so the
# benchmarks' threads get a core whenever they want one.
beside "fuzzing (settings file and handoff decoders)" build/fuzz.log \
  nice -n 19 ./fuzz/run.sh "${FUZZ_SECONDS:-30}" build/fuzz
phase "benchmarks" benchmarks || true
joined

# Each run ends with the window manager x behaviour table of the real-desktop
# tests, so a regression on one window manager shows at once.
suite() {  # suite BUILD_DIR [PREFIX...]
  local dir=$1 status=0
  shift
  # The slowest rows start first (a fresh build has no times of its own).
  ./scripts/test-costs.sh "$dir" "$@" || true
  # A real-desktop test that loses a race with the machine's load gets one
  # more run; a fault fails both. A test that hangs is stopped after five
  # minutes (the slowest take under one on two busy cores).
  "$@" ctest --test-dir "$dir" --output-on-failure -j "$test_jobs" --timeout 300 --repeat until-pass:2 || status=$?
  ./scripts/x11-wm-table.sh "$dir"
  ./scripts/retried-tests.sh "$dir"
  return $status
}

phase "tests, sanitizer build" suite build/asan || true
phase "tests, normal build" suite build/release || true
if [ ${#tsan[@]} -gt 0 ]; then
  # Any report, also of a tessaly program a test started, fails the last test
  # (ThreadSanitizer.NoReports); the suppressions are tests/tsan-suppressions.txt.
  phase "tests, ThreadSanitizer build" suite build/tsan "${tsan[@]}" || true
fi
[ ${#failed[@]} -eq 0 ]
