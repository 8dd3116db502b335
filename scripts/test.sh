#!/usr/bin/env bash
# Runs every test of the kit: installs what is missing, fuzzes panelnap's
# profile reader for a minute (build-fuzz/), then builds and runs the whole
# CTest suite twice, warnings as errors in both: with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/) and as shipped (build-test/).
# The demo and an install use build/, which this leaves alone. Builds print
# to logs in their folders; a build that fails shows the end of its log.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/quiet.sh

bash scripts/setup.sh

bash scripts/fuzz.sh 60

# CTest's result for the tree: its summary, and each test that did not pass
# with its output; no line for each test that starts or passes.
run_suite() {
  local build=$1
  shift
  quietly "$build/configure.log" cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIT_WERROR=ON "$@"
  build_quietly test "$build"
  ctest --test-dir "$build" --output-on-failure -j 2 |
    grep -v -e '^ *Start  *[0-9]*: ' -e '^ *[0-9]*/[0-9]* Test  *#[0-9]*: .*  Passed  *[0-9.]* sec$' \
      -e '^Internal ctest changing'
}

# Every sanitizer report ends the process with a failure status, leaks included.
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DKIT_SANITIZE=ON

run_suite build-test
