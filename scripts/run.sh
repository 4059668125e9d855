#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVANE_TESTS=OFF -DTARVANE_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=OFF
cmake --build build/release --target tarvane -j"$(nproc)"
echo 'On the first start, click ACCEPT on the "DirectX Test" screen to keep a display mode;'
echo 'left alone, it tries each mode for about twelve seconds and then ends the program.'
exec build/release/tarvane "$@"
