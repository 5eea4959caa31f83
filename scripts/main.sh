#!/usr/bin/env bash
# Builds Kestrune, installs the bundle where Linux hosts look for it, shows what a host
# reads of it, and renders a demo clip through a factory program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
cmake --install build

vst_dir=$(grep -m1 '^KESTRUNE_VST_DIR' build/CMakeCache.txt | cut -d= -f2)
bundle="$vst_dir/Kestrune"
render=build/tools/render/kestrune-render
echo
echo "Installed: $bundle/Kestrune.so"
echo
"$render" --plugin "$bundle" --info

# The LV2 edition, when this build has it: what an LV2 host reads of the installed bundle.
lv2_dir=$(grep -m1 '^KESTRUNE_LV2_DIR' build/CMakeCache.txt | cut -d= -f2 || true)
if [ -n "$lv2_dir" ] && [ -f "$lv2_dir/Kestrune.lv2/manifest.ttl" ]; then
  echo
  echo "Installed: $lv2_dir/Kestrune.lv2/"
  LV2_PATH="$lv2_dir" lv2info urn:orbeline:kestrune | sed -n '1,/^\tPort 0:/p' | sed '$d'
fi

# The demo: a dry clip made from nothing, through the installed bundle's "Tape Echo".
out=out/demo
mkdir -p "$out"
program=${KESTRUNE_DEMO_PROGRAM:-4}
echo
"$render" --demo "$out/dry.wav" --seconds 8 --rate 48000
"$render" --plugin "$bundle" --program "$program" --tail 3 "$out/dry.wav" "$out/wet.wav"
sox -V1 "$out/dry.wav" -n spectrogram -x 900 -y 257 -t "Kestrune demo: dry" -o "$out/dry.png"
sox -V1 "$out/wet.wav" -n spectrogram -x 900 -y 257 -t "Kestrune demo: wet (program $program)" -o "$out/wet.png"
# The panel as a host shows it for that program, drawn without an X server.
"$render" --plugin "$bundle" --program "$program" --panel "$out/panel.png"
echo
echo "Demo written to $(pwd)/$out:"
ls -1 "$out"
