#!/usr/bin/env bash
# Installs what Gravelin needs on Debian 12 (only the packages missing), then
# builds the game, its tools and tests, and makes the game data in
# build/game/, the directory the game runs in.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++ make pkg-config
    libsdl1.2-compat-dev libsdl-gfx1.2-dev # SDL 1.2 API and rotozoom, in one go
    libfreetype-dev fonts-dejavu-core      # the font and title tools
    libgtest-dev libbenchmark-dev          # tests and benchmarks
    xvfb xdotool imagemagick x11-utils     # the end-to-end test
    clang libclang-rt-14-dev               # the sanitizer build and the fuzzers
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
