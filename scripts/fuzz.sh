#!/usr/bin/env bash
# Coverage-guided fuzzing: builds the libFuzzer targets of tests/fuzz with clang
# (AddressSanitizer + UBSan) in build-fuzz/ and runs every target for SECONDS
# (default 60) at once, each from its checked-in corpus. What grows a corpus
# is kept in fuzz-work/<target>/corpus (git-ignored) for the next run; a
# failing input lands in fuzz-work/<target>/ and ends the script with an
# error. Copy it into tests/fuzz/<target>/regressions/ once mended, and the
# ordinary test suite replays it from then on.
#
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps.sh tests
# Line tables only (-g1): a report's stack needs no more.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMRIK_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_targets

targets=()
for dir in tests/fuzz/*/corpus; do
  targets+=("$(basename "$(dirname "$dir")")")
done

echo "== fuzzing ${targets[*]} for ${seconds} s each"
pids=()
for name in "${targets[@]}"; do
  work=fuzz-work/$name
  mkdir -p "$work/corpus"
  # Each target may add options of its own (memory limits, say) in tests/fuzz/<name>/options.
  read -r -a extra <<<"$(cat "tests/fuzz/$name/options" 2>/dev/null || true)"
  "build-fuzz/tests/fuzz/fuzz_$name" "$work/corpus" "tests/fuzz/$name/corpus" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "${extra[@]}" >"$work/log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  name=${targets[$i]}
  log=fuzz-work/$name/log
  if ! wait "${pids[$i]}"; then
    status=1
    echo "!! $name failed; the input and the report:"
    grep -E "^(==[0-9]+==ERROR|SUMMARY|host_calls|midi_file|[a-z_]+: )|Test unit written" "$log" || tail -30 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  files=$(find "fuzz-work/$name/corpus" "tests/fuzz/$name/corpus" -type f | wc -l)
  printf '%-12s %10s execs %7s/s  %s  corpus %s files  peak RSS %s MB\n' \
    "$name" "${runs:-?}" "${rate:-?}" "${cov:-cov: ?}" "$files" "${rss:-?}"
done
exit $status
