#!/usr/bin/env bash
# Fuzzes panelnap's profile reader and scanner with libFuzzer for a bounded
# time, in build-fuzz/. Usage: scripts/fuzz.sh [seconds]   (default 60)
# Its progress goes to build-fuzz/fuzz.log; one line says what it found.
# Exits non-zero on any crash, hang or sanitizer report; the reproducer is
# left in build-fuzz/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/quiet.sh

seconds=${1:-60}
build=build-fuzz
log=$build/fuzz.log

quietly "$build/configure.log" cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKIT_BUILD_LAUNCHER=OFF -DKIT_FUZZ=ON
build_quietly fuzz "$build" --target panelnap_profile_fuzz

# libFuzzer adds what it finds to the corpus directory: work on a copy so the
# committed seeds stay as they are.
corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
rm -rf "$corpus"
mkdir -p "$corpus" "$artifacts"
cp fuzz/corpus/* "$corpus"/

echo "fuzz: fuzzing panelnap's profile reader for $seconds s (log: $log)"
# max_len above the 1023-character line limit, so over-long lines get explored.
if ! ASAN_OPTIONS=detect_leaks=1 "$build"/fuzz/panelnap_profile_fuzz \
  -max_total_time="$seconds" -timeout=5 -max_len=4096 \
  -artifact_prefix="$artifacts"/ "$corpus" >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  reproducer=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
  echo "fuzz: found a fault; reproducer: ${reproducer:-none written}; the whole report: $log" >&2
  exit 1
fi
# libFuzzer's last lines: "#N DONE cov: C ft: F corp: I/SIZE ..." and
# "Done N runs in S second(s)".
awk '$2 == "DONE" { for (i = 3; i < NF; i++) if ($i == "cov:") cov = $(i + 1); else if ($i == "corp:") corp = $(i + 1) }
     $1 == "Done" { runs = $2; secs = $5 }
     END { sub("/.*", "", corp)
           printf "fuzz: nothing found in %s runs over %s s (coverage %s, corpus of %s inputs)\n", runs, secs, cov, corp }' "$log"
