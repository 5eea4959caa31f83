#!/usr/bin/env bash
# The library must load and run on any x86-64 processor: every function that holds a
# VEX or EVEX encoded instruction (AVX and wider, BMI2) must be one of the engine
# loop's wider builds (or the out-of-line part they call, named for their path) or of
# the effect passes' AVX2 build, which run only where the processor has them. A helper compiled
# for AVX-512 and merged in for the baseline's would show here.
# Usage: check-baseline-code.sh Kestrune.so
set -euo pipefail
objdump -d --no-show-raw-insn -C "$1" | awk '
  /^[0-9a-f]+ <.*>:$/ { fn = $0; next }
  /^ +[0-9a-f]+:\t/ {
    split($0, f, "\t"); insn = f[2]
    wide = insn ~ /^(v[a-z0-9]+|k(mov|and|or|xor|not|test|ortest|shift|add|unpck|xnor)[a-z0-9]*|andn|bextr|bzhi|pdep|pext|mulx|rorx|sarx|shlx|shrx|blsi|blsr|blsmsk)([ \t]|$)/ \
        || insn ~ /%[yz]mm|%xmm(1[6-9]|2[0-9]|3[01])/
    if (!wide) next
    if (fn ~ /(DelayMain::Fused(Piece|PieceIn|Loop)|StereoLine::SampleBySample)<\(kdsp::SimdPath\)[12][,>]/) { if (!(fn in seen)) { seen[fn] = 1; loops++ } }
    else if (fn ~ /stereo_pass::(GainInput|MixOutput)Wide\(|\(anonymous namespace\)::((GainInput|MixOutput|Each)Four|(Load|Store)UpTo|(Load|Store|Magnitude)4)[<(]/) { passes++ }
    else if (!(fn in bad)) { bad[fn] = 1; bads++; print "baseline function with wider instructions: " fn }
  }
  END {
    if (bads > 0) exit 1
    if (loops < 2) { print "the wider builds of the engine loop are missing"; exit 1 }
    print loops " functions of the wider builds hold wider instructions; no other function does"
  }'
