#!/usr/bin/env bash
# Fuzzes panelnap's profile reader and scanner with libFuzzer for a bounded
# time. Usage: scripts/fuzz.sh [seconds]   (default 60)
# Exits non-zero on any crash, hang or sanitizer report; the reproducer is
# left in build-fuzz/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKIT_BUILD_LAUNCHER=OFF -DKIT_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target panelnap_profile_fuzz

# libFuzzer adds what it finds to the corpus directory: work on a copy so the
# committed seeds stay as they are.
corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
rm -rf "$corpus"
mkdir -p "$corpus" "$artifacts"
cp fuzz/corpus/* "$corpus"/

# max_len above the 1023-character line limit, so over-long lines get explored.
ASAN_OPTIONS=detect_leaks=1 "$build"/fuzz/panelnap_profile_fuzz \
  -max_total_time="$seconds" -timeout=5 -max_len=4096 \
  -artifact_prefix="$artifacts"/ "$corpus"
