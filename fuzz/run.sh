#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs each for a while. Exits non-zero when a target finds a
# crash, a leak or a broken round trip; the reproducer is left in the work
# folder.
#
#   fuzz/run.sh [seconds per target, default 30] [work folder, default build-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
work=${2:-build-fuzz}
mkdir -p "$work"

CXX=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -Isrc $(pkg-config --cflags icu-uc icu-i18n libsystemd))
libs=($(pkg-config --libs icu-uc icu-i18n libsystemd) -lpthread)

common=(src/Platform/Uuid.cpp src/Platform/JsonReading.cpp src/Platform/Log.cpp
        src/TessalyCore/TabColor.cpp src/TessalyCore/UnicodeText.cpp)
settings=(src/TessalyCore/KeyCombo.cpp src/TessalyCore/MatchRule.cpp src/TessalyCore/ColorPreset.cpp
          src/TessalyCore/AutoColorRule.cpp src/TessalyCore/SettingsSnapshot.cpp src/TessalyCore/SettingsTransfer.cpp
          src/Platform/AtomicFile.cpp $(ls src/TessalyCore/L10n*.cpp) src/TessalyCore/AppLanguage.cpp)
handoff=(src/TessalyCore/UpdateHandoff.cpp src/TessalyCore/HandoffRestorePlanner.cpp
         src/Platform/AtomicFile.cpp src/Platform/XdgDirectories.cpp)

build() {  # build NAME SOURCES...
  local name=$1; shift
  echo "== building $name"
  "$CXX" "${flags[@]}" "fuzz/$name.cpp" "$@" "${common[@]}" "${libs[@]}" -o "$work/$name"
}

run() {  # run NAME CORPUS
  local name=$1 seeds=$2
  local corpus="$work/corpus-$name"
  mkdir -p "$corpus"
  echo "== running $name for ${seconds}s"
  # A new corpus folder first (where findings go), then the checked-in seeds.
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "./$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     "corpus-$name" "$OLDPWD/$seeds" 2>&1 | tail -n 25)
}

build fuzz_settings_file "${settings[@]}"
build fuzz_handoff "${handoff[@]}"
run fuzz_settings_file fuzz/corpus/settings
run fuzz_handoff fuzz/corpus/handoff
echo "fuzzing finished without findings"
