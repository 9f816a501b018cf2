#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, when it is missing (through sudo when not root).
# With --windows also the Windows cross compiler, Wine and a sound server for the Windows executable's tests.
# libclang-rt-dev carries the fuzzer and sanitizer runtimes clang links (only recommended by clang).
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-dev pkg-config libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xdotool imagemagick x11-utils sox hunspell hunspell-en-us)
if [ "${1:-}" = "--windows" ]; then
    packages+=(g++-mingw-w64-x86-64-posix wine wine64 pulseaudio pulseaudio-utils)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
