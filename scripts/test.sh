#!/usr/bin/env bash
# The whole test suite, three times: a normal build (with a virtual X display
# for the tests that open real windows), AddressSanitizer + UndefinedBehavior-
# Sanitizer at -O0 (so the golden sound hashes also prove that the optimiser
# changes no bit), and ThreadSanitizer on the tests labelled "threads".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
export TAMRIK_REQUIRE_X11=1   # a missing display is a failure, not a skip

run_ctest() {  # build dir, extra ctest arguments...
  local dir=$1; shift
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300 -j"$jobs" "$@"
}

echo "== build and test (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
run_ctest build

echo "== AddressSanitizer + UndefinedBehaviorSanitizer (Debug, -O0)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAMRIK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build-asan

echo "== ThreadSanitizer (threading tests)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRIK_SANITIZE=thread >/dev/null
cmake --build build-tsan -j"$jobs" --target thread_tests DrumTamrik
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -L threads

echo "== Windows DLLs under wine (both bitnesses)"
scripts/test-windows.sh

echo "== soak (20 s) and every fuzz target (20 s each, on its corpus)"
build/tests/soak/tamrik-soak 20
scripts/fuzz.sh 20
