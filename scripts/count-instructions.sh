#!/usr/bin/env bash
# Instructions per voice-sample inside DrumVoices::render, counted by
# callgrind on the benchmark's workload (bench/EngineWorkload.h): repeatable
# whatever else the machine runs, unlike times. valgrind cannot run AVX-512.
#   scripts/count-instructions.sh BUILD_DIR [paths...] 
# prints one line per path and voice count (17, 16, 8, 4, 1; Heavy).
set -euo pipefail
build=${1:-build}; shift || true
paths=${*:-scalar sse2 avx2}
bin=$build/bench/tamrik_engine_count
blocks=512
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for isa in $paths; do
  for voices in 17 16 8 4 1; do
    valgrind --tool=callgrind --callgrind-out-file="$out" "$bin" "$isa" "$voices" $blocks >/dev/null 2>&1
    ir=$(callgrind_annotate --inclusive=yes "$out" 2>/dev/null |
      awk '/tamrik::DrumVoices::render\(float/ && !done { gsub(",", "", $1); print $1; done = 1 }')
    awk -v isa="$isa" -v v="$voices" -v ir="$ir" -v b=$blocks \
      'BEGIN { printf "%-7s %2d voices %7.1f\n", isa, v, ir / (b * 64 * v) }'
  done
done
