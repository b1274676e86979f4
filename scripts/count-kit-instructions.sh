#!/usr/bin/env bash
# Instructions per voice-sample inside the instrument's render, DrumTamrik's
# 16 voices against the Kit's 16 voices on 1, 4 and 16 pads, and per block for
# the idle Kit, counted by callgrind on the Kit benchmark's workload
# (bench/KitWorkload.h): repeatable whatever else the machine runs.
#   scripts/count-kit-instructions.sh BUILD_DIR [paths...]
set -euo pipefail
build=${1:-build}; shift || true
paths=${*:-scalar sse2 avx2}
bin=$build/bench/tamrik_kit_count
blocks=1024
out=$(mktemp)
trap 'rm -f "$out"' EXIT
inside() {  # the render function's inclusive count
  callgrind_annotate --inclusive=yes "$out" 2>/dev/null |
    awk -v f="$1" 'index($0, f) && !done { gsub(",", "", $1); print $1; done = 1 }'
}
for isa in $paths; do
  for pads in 0 1 4 16 -1; do
    TAMRIK_ISA=$isa valgrind --tool=callgrind --callgrind-out-file="$out" "$bin" "$pads" $blocks >/dev/null 2>&1
    if [ "$pads" = 0 ]; then
      ir=$(inside 'DrumTamrikInstrument::render(float')
    else
      ir=$(inside 'KitInstrument::render(float')
    fi
    awk -v isa="$isa" -v p="$pads" -v ir="${ir:-0}" -v b=$blocks 'BEGIN {
      if (p == -1) printf "%-7s idle kit        %7.1f per block\n", isa, ir / b
      else printf "%-7s %-15s %7.1f per voice-sample\n", isa, (p == 0 ? "DrumTamrik" : "kit, " p " pads"), ir / (b * 64 * 16) }'
  done
done
