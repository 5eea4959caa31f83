#!/usr/bin/env bash
# Builds and runs the whole test suite: a Release build; the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer; the threading tests and the panel's
# end-to-end test under ThreadSanitizer; and a bounded run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${KESTRUNE_FUZZ_SECONDS:-60}

configure_build() {
  local dir=$1; shift
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
}

echo "=== Release build"
configure_build build-test -DKESTRUNE_BUILD_BENCH=ON
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs")

echo "=== The engine loop's builds: the audio-path tests once per build the processor runs, and the baseline forced"
for path in baseline avx2 avx512; do
  echo "--- KESTRUNE_SIMD=$path"
  (cd build-test && KESTRUNE_SIMD=$path ctest --output-on-failure -j"$jobs" -R '^(FastPath|DelayMain|AudioPath|LoopBound)')
done

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
configure_build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_SANITIZE=address,undefined -DKESTRUNE_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs")

echo "=== ThreadSanitizer: threading tests and the panel in a host"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
configure_build build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_SANITIZE=thread -DKESTRUNE_BUILD_BENCH=OFF
cmake --build build-tsan -j"$jobs" --target realtime_threading_tests editor_xvfb_tests
(cd build-tsan && ctest --output-on-failure -L threading && ctest --output-on-failure -R '^editor_xvfb_tests$')

echo "=== Fuzzing: ${fuzz_seconds} s per target (clang, libFuzzer, ASan + UBSan)"
CC=clang CXX=clang++ configure_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUNE_SANITIZE=address,undefined -DKESTRUNE_BUILD_FUZZ=ON -DKESTRUNE_BUILD_BENCH=OFF -DKESTRUNE_BUILD_TESTS=ON
cmake --build build-fuzz -j"$jobs" --target FuzzBankChunk FuzzProgramChunk FuzzBankFile kestrune_factory_bank
for target in FuzzBankChunk FuzzProgramChunk FuzzBankFile; do
  corpus=$(mktemp -d)
  cp build-fuzz/Kestrune/KestruneDef.fxb "$corpus/factory.fxb"
  tail -c 2816 build-fuzz/Kestrune/KestruneDef.fxb > "$corpus/bank-chunk"
  head -c 88 "$corpus/bank-chunk" > "$corpus/program-chunk"
  log="build-fuzz/$target.log"
  status=0
  (cd "$corpus" && "$OLDPWD/build-fuzz/tests/fuzz/$target" -max_total_time="$fuzz_seconds" -max_len=4096 \
     -print_final_stats=1 "$corpus") > "$log" 2>&1 || status=$?
  grep -E '^(Done |stat::number_of_executed_units)' "$log" || true
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then tail -n 60 "$log"; echo "fuzz target $target failed"; exit 1; fi
  echo "fuzz target $target: no failure"
done
