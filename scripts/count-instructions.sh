#!/usr/bin/env bash
# Instructions per voice-sample inside DrumVoices::render, counted by
# callgrind on the benchmark's workload (bench/EngineWorkload.h): repeatable
# whatever else the machine runs, unlike times. valgrind cannot run AVX-512.
#   scripts/count-instructions.sh BUILD_DIR [paths...] 
# prints one line per path and voice count (17, 16, 8, 4, 1; Heavy).
#   scripts/count-instructions.sh --kit BUILD_DIR [paths...]
# counts inside the instrument's render on the Kit's workload
# (bench/KitWorkload.h) instead: DrumTamrik's 16 voices, the Kit's 16 voices
# on 1, 4 and 16 pads, per voice-sample, and the idle Kit per block.
set -euo pipefail
kit=; [ "${1:-}" = --kit ] && { kit=1; shift; }
build=${1:-build}; shift || true
paths=${*:-scalar sse2 avx2}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
inside() {  # the inclusive count of the first function whose line holds $1
  callgrind_annotate --inclusive=yes --threshold=100 "$out" 2>/dev/null |
    awk -v f="$1" 'index($0, f) && !done { gsub(",", "", $1); print $1; done = 1 }'
}
if [ -n "$kit" ]; then
  blocks=1024
  for isa in $paths; do
    for pads in 0 1 4 16 -1; do
      TAMRIK_ISA=$isa valgrind --tool=callgrind --callgrind-out-file="$out" \
        "$build/bench/tamrik_kit_count" "$pads" $blocks >/dev/null 2>&1
      if [ "$pads" = 0 ]; then ir=$(inside 'DrumTamrikInstrument::render(float'); else ir=$(inside 'KitInstrument::render(float'); fi
      awk -v isa="$isa" -v p="$pads" -v ir="${ir:-0}" -v b=$blocks 'BEGIN {
        if (p == -1) printf "%-7s idle kit        %7.1f per block\n", isa, ir / b
        else printf "%-7s %-15s %7.1f per voice-sample\n", isa, (p == 0 ? "DrumTamrik" : "kit, " p " pads"), ir / (b * 64 * 16) }'
    done
  done
  exit 0
fi
blocks=512
for isa in $paths; do
  for voices in 17 16 8 4 1; do
    valgrind --tool=callgrind --callgrind-out-file="$out" "$build/bench/tamrik_engine_count" "$isa" "$voices" $blocks >/dev/null 2>&1
    ir=$(inside 'tamrik::DrumVoices::render(float')
    awk -v isa="$isa" -v v="$voices" -v ir="$ir" -v b=$blocks \
      'BEGIN { printf "%-7s %2d voices %7.1f\n", isa, v, ir / (b * 64 * v) }'
  done
done
