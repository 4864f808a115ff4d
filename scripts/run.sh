#!/usr/bin/env bash
# Installs what is missing, builds Tessaly and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -x build/release/src/tessaly ]; then
  exec build/release/src/tessaly "$@"
fi
echo "Built. The tessaly executable is not part of this build yet."
