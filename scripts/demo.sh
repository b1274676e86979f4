#!/usr/bin/env bash
# Builds everything (Release) and plays the built-in demo groove through the
# plug-in into demo.wav in the current folder. Extra arguments go to
# tamrik-render (try --help).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build-release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build-release" -j"$(nproc)"
exec "$here/build-release/tools/tamrik-render/tamrik-render" "$@"
