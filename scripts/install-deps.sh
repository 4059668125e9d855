#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail
packages=(g++ clang libclang-rt-14-dev cmake ninja-build pkg-config libgtest-dev libgmock-dev
          libbenchmark-dev libsdl2-dev libsdl2-ttf-dev fonts-liberation2 zlib1g-dev
          libcairo2-dev libstb-dev)
# The sound synthesiser: speech for the voices, and its resampling.
packages+=(libespeak-ng-dev libsamplerate0-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
