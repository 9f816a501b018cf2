#!/usr/bin/env bash
# Installs what is missing, builds the release executable and runs the magazine.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build build/release --target kestravon
exec build/release/shell/kestravon
