#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
