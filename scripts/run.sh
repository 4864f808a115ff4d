#!/usr/bin/env bash
# Installs what is missing, builds Tessaly and starts it on the current X11
# display (arguments are passed on, e.g. --login-item).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target tessaly
exec build/release/tessaly "$@"
