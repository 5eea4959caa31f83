#!/usr/bin/env bash
# Installs the Debian 12 packages Kestrune builds, tests and demonstrates with.
# Idempotent: packages already present are skipped, and apt is not touched when none is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libsamplerate0-dev libsndfile1-dev
  libx11-dev libxfixes-dev libxtst-dev libcairo2-dev libpango1.0-dev libjpeg62-turbo-dev
  fonts-liberation2 fonts-dejavu-core fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps sox libsox-fmt-all
  lv2-dev liblilv-dev lilv-utils jalv jackd2 x11-utils
  lintian
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
