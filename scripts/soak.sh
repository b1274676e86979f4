#!/usr/bin/env bash
# The soak: the built plug-in for MINUTES (default 10) under dense random
# notes, retriggers and controller 126, stepping through every factory preset
# while a second thread automates all 22 parameters. Fails on a non-finite
# sample, or on resident memory or open descriptors that move after the first
# minute; prints every figure at the end.
#
# Usage: scripts/soak.sh [MINUTES]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
scripts/deps.sh tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tamrik-soak DrumTamrik
build/tests/soak/tamrik-soak "$(awk -v m="$minutes" 'BEGIN { print m * 60 }')"
