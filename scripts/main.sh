#!/usr/bin/env bash
# Builds Kestrune, installs the bundle where Linux hosts look for it, and shows what a
# host reads of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
cmake --install build

vst_dir=$(grep -m1 '^KESTRUNE_VST_DIR' build/CMakeCache.txt | cut -d= -f2)
echo
echo "Installed: $vst_dir/Kestrune/Kestrune.so"
echo
build/tools/render/kestrune-render --plugin "$vst_dir/Kestrune" --info
