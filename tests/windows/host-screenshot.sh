#!/usr/bin/env bash
# tamrik-host.exe opens the editor in a top-level window of its own, saves
# what the screen shows of it and exits: the BMP has the panel's size and
# is not one flat colour. The window holds the 505 x 313 panel, the
# 48-pixel strip and the 120-pixel hit row below it.
set -euo pipefail
wine=$1 host=$2 dll=$3 shot=$4
rm -f "$shot"
timeout 60 "$wine" "$host" --plugin "Z:$dll" --screenshot "Z:$shot" --delay 400
size=$(stat -c %s "$shot")
expected=$((54 + ((505 * 3 + 3) / 4 * 4) * (313 + 48 + 120)))
[ "$size" = "$expected" ] || { echo "FAIL: $shot has $size bytes, expected $expected"; exit 1; }
colours=$(tail -c +55 "$shot" | od -An -v -tx1 -w3 | sort -u | wc -l)
echo "$shot: 505 x 481, $colours colours"
[ "$colours" -gt 8 ] || { echo "FAIL: the screenshot is nearly blank"; exit 1; }
