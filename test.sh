#!/usr/bin/env bash
# Installs what is missing, then runs every test: the whole suite under address and undefined-behaviour
# sanitizers (a minute of the monkey's random reading among it), the suites with threads under the
# thread sanitizer, a minute of fuzzing per fuzz target from its seed corpus, the real-window test on
# the release build under Xvfb, and the Windows executable (cross-built with mingw-w64) under Wine at
# 24 and 16 bits per pixel. Each step prints its time; the whole stays within 30 minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh --windows
jobs=$(nproc)
step() { echo "== test.sh: $1 ($(( SECONDS / 60 ))m$(( SECONDS % 60 ))s so far)"; }

step "address and undefined-behaviour sanitizers"
cmake --preset asan-ubsan >/dev/null
cmake --build build/asan-ubsan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/asan-ubsan --output-on-failure -j "$jobs" -LE window

step "thread sanitizer on the suites with threads"
cmake --preset tsan >/dev/null
cmake --build build/tsan -j "$jobs" --target threaded_suites
# The monkey reads for 20 s of virtual time here: the sanitizer slows it about tenfold.
KV_MONKEY_SECONDS=20 TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan_suppressions.txt" \
  ctest --test-dir build/tsan --output-on-failure -j "$jobs" -L threads

step "fuzz smoke"
fuzz/smoke.sh 60

step "release build and the real window"
cmake --preset release >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -L window

step "Windows executable under Wine"
cmake --preset windows >/dev/null
cmake --build build/windows -j "$jobs"
ctest --test-dir build/windows --output-on-failure -L wine
step "done"
