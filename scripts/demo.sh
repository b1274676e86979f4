#!/usr/bin/env bash
# Builds the Linux plug-in and tamrik-render (Release, in build-demo/) and
# plays the built-in demo groove through the plug-in into demo.wav in the
# current folder. Extra arguments go to tamrik-render (try --help).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh" base
cmake -S "$here" -B "$here/build-demo" -DCMAKE_BUILD_TYPE=Release \
  -DTAMRIK_TESTS=OFF -DTAMRIK_LV2=OFF >/dev/null
cmake --build "$here/build-demo" -j"$(nproc)" --target DrumTamrik tamrik-render
exec "$here/build-demo/tools/tamrik-render/tamrik-render" "$@"
