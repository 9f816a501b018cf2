#!/usr/bin/env bash
# Installs what is missing, then runs every test: the whole suite under address and undefined-behaviour
# sanitizers, the real-window test on the release build under Xvfb, and the Windows executable
# (cross-built with mingw-w64) under Wine at 24 and 16 bits per pixel.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh --windows
jobs=$(nproc)
cmake --preset asan-ubsan >/dev/null
cmake --build build/asan-ubsan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/asan-ubsan --output-on-failure -j "$jobs" -LE window
cmake --preset release >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -L window
cmake --preset windows >/dev/null
cmake --build build/windows -j "$jobs"
ctest --test-dir build/windows --output-on-failure -L wine
