#!/usr/bin/env bash
# Runs every test of the kit: installs what is missing, builds with warnings
# as errors, and runs the whole CTest suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIT_WERROR=ON >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" --output-on-failure -j 2
