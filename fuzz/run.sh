#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) from the module libraries, and runs each for a while. Exits
# non-zero when a target finds a crash, a leak or a broken round trip; the
# reproducer is left in the work folder.
#
#   fuzz/run.sh [seconds per target, default 30] [work folder, default build-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=${2:-build-fuzz}
targets=(fuzz_settings_file fuzz_handoff)

echo "== building ${targets[*]}"
# Warnings are errors only for the GCC builds: clang words some differently.
cmake -S . -B "$work" -G Ninja -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DTESSALY_FUZZ=ON -DTESSALY_TESTS=OFF -DTESSALY_BENCH=OFF \
      -DTESSALY_WERROR=OFF >/dev/null
if ! cmake --build "$work" --target "${targets[@]}" -j "$(nproc)" >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  exit 1
fi

run() {  # run NAME SEEDS: the fuzzer's last lines go to $work/NAME.log
  local name=$1 seeds=$2
  mkdir -p "$work/corpus-$name"
  # A new corpus folder first (where findings go), then the checked-in seeds.
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "./fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     "corpus-$name" "$OLDPWD/$seeds" >"$name.log" 2>&1)
}

# Each fuzzer runs on one core, so the two run side by side.
echo "== running ${targets[*]} for ${seconds}s each"
run fuzz_settings_file fuzz/corpus/settings & settings=$!
run fuzz_handoff fuzz/corpus/handoff & handoff=$!
status=0
wait $settings || status=1
wait $handoff || status=1
for name in "${targets[@]}"; do
  echo "-- $name"
  tail -n 25 "$work/$name.log"
done
[ $status -eq 0 ] || { echo "fuzzing found a fault (see above; the reproducer is in $work)"; exit 1; }
echo "fuzzing finished without findings"
