#!/usr/bin/env bash
# The bundle as the LV2 tools see it: its Turtle valid against the schemas
# Debian's lv2-dev installs, lv2info listing the plug-in with its 16 presets
# and its UI, a DSP library that links no windowing or font code, and
# `cmake --install` of the build putting a bundle where lv2ls finds it.
#   check-bundle.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
bundle=$(realpath "$1")
build=$(realpath "$2")

report=$(sord_validate $(find /usr/lib/lv2 -name '*.ttl' | sort) "$bundle"/*.ttl 2>&1)
echo "$report"
grep -q '^Found 0 errors' <<<"$report"

info=$(LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2" lv2info urn:quenmar:drum-tamrik)
grep -q 'Name: *DrumTamrik' <<<"$info"
grep -q 'urn:quenmar:drum-tamrik#ui' <<<"$info"
grep -q 'Class: *http://lv2plug.in/ns/extensions/ui#X11UI' <<<"$info"
presets=$(sed -n '/Presets:/,/^$/p' <<<"$info" | grep -cE '^\s+[A-Za-z0-9_]+\s*$' || true)
[ "$presets" -eq 16 ] || { echo "lv2info lists $presets presets"; exit 1; }

if readelf -d "$bundle/DrumTamrik.so" | grep NEEDED | grep -Ei 'x11|xcb|freetype|fontconfig|png'; then
  echo "the DSP library links windowing code"; exit 1
fi
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(LV2_PATH="$prefix/lib/lv2" lv2ls)" = "urn:quenmar:drum-tamrik" ]
echo "bundle ok: $(du -sk "$prefix/lib/lv2/DrumTamrik.lv2" | cut -f1) KiB installed"
