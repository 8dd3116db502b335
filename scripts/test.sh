#!/usr/bin/env bash
# Runs every test of the kit: installs what is missing, fuzzes panelnap's
# profile reader for a minute, then builds and runs the whole CTest suite
# twice, with AddressSanitizer and UndefinedBehaviorSanitizer and as shipped,
# warnings as errors in both.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

bash scripts/fuzz.sh 60

run_suite() {
  local build=$1
  shift
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIT_WERROR=ON "$@" >/dev/null
  cmake --build "$build" -j 2
  ctest --test-dir "$build" --output-on-failure -j 2
}

# Every sanitizer report ends the process with a failure status, leaks included.
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DKIT_SANITIZE=ON

run_suite build
