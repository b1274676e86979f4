#!/usr/bin/env bash
# The test suite, by parts; no argument runs them all:
#   normal   the Release build (as installed and packaged) in build-release,
#            every test but the LV2 ones (a virtual X display for the tests
#            that open real windows)
#   asan     AddressSanitizer + UndefinedBehaviorSanitizer at -O0 (Debug), every
#            test, so the golden sound hashes also prove that the optimiser
#            changes no bit; built with clang, which compiles it in 60 % of
#            GCC's time and checks more (calls through mistyped pointers),
#            and so the sound is proven under a second compiler too
#   tsan     ThreadSanitizer on the tests labelled "threads"
#   windows  both Windows DLLs and their tests under wine (scripts/test-windows.sh)
#   lv2      the LV2 bundle: our lilv host, the Turtle checkers, the UI, jalv
#   soak     10 s of the soak (scripts/soak.sh runs it for minutes)
#   fuzz     10 s of every fuzz target on its corpus (scripts/fuzz.sh)
# With more than one part, the Windows part (mostly waiting on wine) runs
# beside the others, its output kept until the end. Prints each part's time.
# The sanitizer builds carry line tables only (-g1): enough for a report's
# stack, and much cheaper to compile than full debug information.
#
# Usage: scripts/test.sh [PART...]
set -euo pipefail
cd "$(dirname "$0")/.."
all=(normal asan tsan windows lv2 soak fuzz)
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=("${all[@]}")
for p in "${parts[@]}"; do
  [[ " ${all[*]} " == *" $p "* ]] || { echo "test.sh: unknown part '$p' (${all[*]})" >&2; exit 2; }
done
wants() { [[ " ${parts[*]} " == *" $1 "* ]]; }

groups=()
for p in "${parts[@]}"; do
  case $p in windows) groups+=(windows) ;; *) groups+=(tests) ;; esac
done
scripts/deps.sh "${groups[@]}"
jobs=$(nproc)
export TAMRIK_REQUIRE_X11=1   # a missing display is a failure, not a skip

run_ctest() {  # build dir, extra ctest arguments...
  local dir=$1; shift
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$dir" --output-on-failure --timeout 300 -j"$jobs" "$@"
}
configure() {  # build dir, cmake arguments...
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
}

release=build-release
configure_release() { configure $release -DCMAKE_BUILD_TYPE=Release; }
part_normal() {
  configure_release
  cmake --build $release -j"$jobs"
  run_ctest $release -LE lv2
}
part_asan() {
  CC=clang CXX=clang++ configure build-asan -DCMAKE_BUILD_TYPE=Debug -DTAMRIK_SANITIZE=address,undefined \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1
  cmake --build build-asan -j"$jobs" --target test_programs
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest build-asan
}
part_tsan() {
  configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRIK_SANITIZE=thread \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
  cmake --build build-tsan -j"$jobs" --target thread_tests DrumTamrik
  TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -L threads
}
part_windows() { scripts/test-windows.sh; }
part_lv2() {
  configure_release
  cmake --build $release -j"$jobs" --target test_programs
  run_ctest $release -L lv2
}
part_soak() {
  configure_release
  cmake --build $release -j"$jobs" --target tamrik-soak DrumTamrik
  $release/tests/soak/tamrik-soak 10
}
part_fuzz() { scripts/fuzz.sh 10; }

# CPU seconds (user + system) of this shell's finished child processes so
# far, into the variable named by $1 (`times` in a subshell would see none).
cpu_file=$(mktemp)
trap 'rm -f "$cpu_file"' EXIT
cpu() {
  times >"$cpu_file"
  printf -v "$1" '%s' "$(awk 'NR == 2 { t = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); t += p[1] * 60 + p[2] } printf "%.0f", t }' "$cpu_file")"
}
declare -A took
status=0
run_part() {
  local start=$SECONDS cpu0 cpu1 result=""
  cpu cpu0
  echo "== $1"
  "part_$1" || { result=", FAILED"; status=1; }
  cpu cpu1
  took[$1]="$((SECONDS - start)) s (CPU $((cpu1 - cpu0)) s)$result"
}

beside=0
if wants windows && [ ${#parts[@]} -gt 1 ]; then
  # Started twice removed, so that its CPU time stays out of the other
  # parts' figures; it leaves its status and CPU seconds in $log.done.
  beside=1
  mkdir -p build-logs
  log=build-logs/windows.log
  rm -f "$log.done" "$log.pid"
  windows_start=$SECONDS
  ( (
    echo "$BASHPID" >"$log.pid"
    cpu_file=$(mktemp)
    cpu cpu0
    if part_windows; then rc=0; else rc=$?; fi
    cpu cpu1
    rm -f "$cpu_file"
    echo "$rc $((cpu1 - cpu0))" >"$log.done"
  ) >"$log" 2>&1 & )
fi
for p in "${parts[@]}"; do
  [ "$p" = windows ] && [ $beside = 1 ] && continue
  run_part "$p"
done
if [ $beside = 1 ]; then
  echo "== windows (ran beside the others; its output from $log)"
  until [ -e "$log.done" ]; do
    if [ -e "$log.pid" ] && ! kill -0 "$(cat "$log.pid")" 2>/dev/null && [ ! -e "$log.done" ]; then
      echo "1 ?" >"$log.done"
    fi
    sleep 2
  done
  cat "$log"
  read -r rc windows_cpu <"$log.done"
  result=""
  [ "$rc" = 0 ] || { result=", FAILED"; status=1; }
  took[windows]="$((SECONDS - windows_start)) s (CPU $windows_cpu s), beside the others$result"
fi

echo "== times"
for p in "${parts[@]}"; do printf '  %-8s %s\n' "$p" "${took[$p]}"; done
[ $status = 0 ] && echo "== all passed" || echo "!! some part failed"
exit $status
