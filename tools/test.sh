#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test suite.
# --asan: the same suites built with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan
# (without the benchmark programs, which no suite runs); tests/CMakeLists.txt sets the sanitizers' options.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
options=(-DPELLUM_SANITIZE=OFF)
if [ "${1:-}" = "--asan" ]; then
  build=build-asan
  options=(-DPELLUM_SANITIZE=ON -DPELLUM_BUILD_BENCH=OFF)
fi
./tools/deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
