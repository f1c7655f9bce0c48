#!/usr/bin/env bash
# Installs what is needed, builds, and starts the player (arguments go to the player).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec ./build/pellum "$@"
