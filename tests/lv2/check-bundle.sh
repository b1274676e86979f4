#!/usr/bin/env bash
# The bundles as the LV2 tools see them: their Turtle valid against the
# schemas Debian's lv2-dev installs, lv2info listing DrumTamrik with its 16
# presets and its UI and the Kit with its state interface and 18 outputs,
# DSP libraries that link no windowing or font code, and `cmake --install`
# of the build putting both bundles where lv2ls finds them.
#   check-bundle.sh BUNDLE_DIR BUILD_DIR
set -euo pipefail
bundle=$(realpath "$1")
build=$(realpath "$2")
kit=$(dirname "$bundle")/DrumTamrikKit.lv2

# The schemas are the LV2 standard's own bundles, as lv2-dev lists
# them, and nothing else installed: another package's plug-ins (a host's
# own, say) may bring Turtle errors that are not ours to fail on.
schemas=$(dpkg -L lv2-dev | grep -E '/[^/]+\.lv2/[^/]+\.ttl$' | sort)
[ -n "$schemas" ] || { echo "lv2-dev lists no LV2 standard bundles"; exit 1; }
report=$(sord_validate $schemas "$bundle"/*.ttl "$kit"/*.ttl 2>&1) || true  # its errors, shown below
echo "$report"
grep -q '^Found 0 errors' <<<"$report"

info=$(LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2" lv2info urn:quenmar:drum-tamrik)
grep -q 'Name: *DrumTamrik' <<<"$info"
grep -q 'urn:quenmar:drum-tamrik#ui' <<<"$info"
grep -q 'Class: *http://lv2plug.in/ns/extensions/ui#X11UI' <<<"$info"
presets=$(sed -n '/Presets:/,/^$/p' <<<"$info" | grep -cE '^\s+[A-Za-z0-9_]+\s*$' || true)
[ "$presets" -eq 16 ] || { echo "lv2info lists $presets presets"; exit 1; }

kitinfo=$(LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2" lv2info urn:quenmar:drum-tamrik-kit)
grep -q 'Name: *DrumTamrik Kit' <<<"$kitinfo"
grep -q 'state#interface' <<<"$kitinfo"
outputs=$(grep -c 'lv2core#OutputPort' <<<"$kitinfo" || true)
[ "$outputs" -eq 18 ] || { echo "lv2info lists $outputs outputs of the Kit"; exit 1; }

for dsp in "$bundle/DrumTamrik.so" "$kit/DrumTamrikKit.so"; do
  if readelf -d "$dsp" | grep NEEDED | grep -Ei 'x11|xcb|freetype|fontconfig|png'; then
    echo "$dsp links windowing code"; exit 1
  fi
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(LV2_PATH="$prefix/lib/lv2" lv2ls | sort | tr '\n' ' ')" = "urn:quenmar:drum-tamrik urn:quenmar:drum-tamrik-kit " ]
echo "bundle ok: $(du -sk "$prefix/lib/lv2/DrumTamrik.lv2" | cut -f1) KiB installed"
