#!/usr/bin/env bash
# Kestrune beside two Debian delay plug-ins in one benchmark run: the same noise, 48 kHz,
# blocks of 256, a 500 ms delay with feedback and both filter cuts where the plug-in has
# them; the ratio column is each one's cost relative to Kestrune's. Then the same for the
# LV2 editions, when the build has Kestrune's.
# Usage: scripts/bench-peers.sh [build-folder] [seconds, default 600]   (installs the peers if missing)
# Ten minutes of audio: the figures are the steady state, not the first pass through the
# delay line's memory.
# Every plug-in runs on one processor, KESTRUNE_BENCH_CPU (default 0): on a virtual
# machine the processors need not be equally fast, and a run that moves between them
# compares nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-600}
scripts/install-deps.sh zam-plugins lsp-plugins-vst lsp-plugins-lv2
pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "${KESTRUNE_BENCH_CPU:-0}"); fi
"${pin[@]}" "$build/tools/render/kestrune-render" --bench --seconds "$seconds" --block 256 --rate 48000 \
  --plugin "$build/Kestrune" --set DelayTime=500 --set FeedBack=50 --set Depth=50 --set Rate=1 \
    --set "HPF ON=ON" --set "LPF ON=ON" --set "HPF FREQ=100" --set "LPF FREQ=8000" \
  --plugin /usr/lib/vst/ZamDelay-vst.so --set Time=500 --set Feedback=0.5 \
  --plugin /usr/lib/vst/lsp-plugins/art-delay-stereo.so --set on0=on --set dadd0=0.5 --set fbe0=on --set fbg0=-6 \
    --set lc0=on --set hc0=on
lv2_bench=$build/tools/lv2bench/kestrune-lv2-bench
[ -x "$lv2_bench" ] || exit 0
echo
"${pin[@]}" "$lv2_bench" --seconds "$seconds" --block 256 --rate 48000 \
  --plugin "$build/Kestrune.lv2" urn:orbeline:kestrune --set delay_time=500 --set feedback=50 --set depth=50 \
    --set rate=1 --set hpf_on=1 --set lpf_on=1 --set hpf_freq=100 --set lpf_freq=8000 \
  --plugin /usr/lib/lv2/ZamDelay.lv2 urn:zamaudio:ZamDelay --set time=500 --set feedb=0.5 \
  --plugin /usr/lib/lv2/lsp-plugins.lv2 http://lsp-plug.in/plugins/lv2/art_delay_stereo --set on0=1 --set dadd0=0.5 \
    --set fbe0=1 --set fbg0=0.5 --set lc0=1 --set hc0=1
