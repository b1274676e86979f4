#!/usr/bin/env bash
# Both VST 3 bundles in Ardour 7, headless, on its dummy backend (no JACK):
#   ardour-vst3.sh scan VST3-FOLDER
#       Ardour's VST 3 scanner indexes both bundles (ids, names, vendor,
#       category, buses) and ardour7-lua lists both plug-ins
#   ardour-vst3.sh kit VST3-FOLDER KIT-STATE-TOOL
#       a session plays the Kit's 18 outputs and DrumTamrik
#       (ardour-vst3.lua) and is saved with pad 2 changed: its name and Level
#       from a preset carrying the Kit's state, its CutOff and Key through
#       Ardour's parameter calls, its output by the routing; a second Ardour
#       process reopens and saves it, and the state it saved holds them all
# Skipped (exit 77) where Ardour 7 is not installed. Ardour's folders
# (configuration, caches, presets) are the test's own.
set -euo pipefail
command -v ardour7-lua >/dev/null || { echo "Ardour 7 is not installed"; exit 77; }
mode=$1 bundles=$(realpath "$2") state_tool=${3:-}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_CACHE_HOME=$work/home/cache
export VST3_PATH=$work/vst3
mkdir -p "$HOME" "$VST3_PATH"

# Copies, an hour old: Ardour takes a bundle changed in the second of its
# scan for one still being written and leaves it out.
cp -r "$bundles/DrumTamrik.vst3" "$bundles/DrumTamrikKit.vst3" "$VST3_PATH/"
find "$VST3_PATH" -exec touch -d '-1 hour' {} +
ardour_lib=$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$(command -v ardour7-lua)")
LD_LIBRARY_PATH=$ardour_lib "$ardour_lib/ardour-vst3-scanner" -v \
  "$VST3_PATH/DrumTamrik.vst3" "$VST3_PATH/DrumTamrikKit.vst3" >scan.log 2>&1 || { cat scan.log; exit 1; }

run_lua() {  # step, log
  STEP=$1 ardour7-lua "$here/ardour-vst3.lua" >"$2" 2>&1 || { cat "$2"; exit 1; }
}

if [ "$mode" = scan ]; then
  grep -E '^\s*<VST3Info' scan.log
  info() {  # uid: the scanner's record of that class
    grep -E "<VST3Info uid=\"$1\"" scan.log
  }
  info 97F62CCEF94B4EA9A5FEDDA55E1CE50E | grep -q 'name="DrumTamrik" vendor="Quenmar" category="Instrument|Drum"'
  info 97F62CCEF94B4EA9A5FEDDA55E1CE50E | grep -q 'n_inputs="0" n_outputs="2" n_aux_inputs="0" n_aux_outputs="0" n_midi_inputs="1"'
  info 185D364037194850B13E234725AD0343 | grep -q 'name="DrumTamrik Kit" vendor="Quenmar" category="Instrument|Drum"'
  info 185D364037194850B13E234725AD0343 | grep -q 'n_inputs="0" n_outputs="2" n_aux_inputs="0" n_aux_outputs="16" n_midi_inputs="1"'
  run_lua list list.log
  grep '^listed' list.log
  grep -qx 'listed: DrumTamrik 97F62CCEF94B4EA9A5FEDDA55E1CE50E by Quenmar' list.log
  grep -qx 'listed: DrumTamrik Kit 185D364037194850B13E234725AD0343 by Quenmar' list.log
  exit 0
fi

# Little-endian integers, as the preset file's fields are.
le() {  # value, bytes
  for ((i = 0; i < $2; i++)); do printf "\\x$(printf %02x $((($1 >> (8 * i)) & 255)))"; done
}
# A preset file Ardour lists for the class: its header (the class id and
# where the list of chunks is), the component's state, the list.
preset_file() {  # class id, state file
  local size
  size=$(stat -c %s "$2")
  printf VST3; le 1 4; printf %s "$1"; le $((48 + size)) 8
  cat "$2"
  printf List; le 1 4; printf Comp; le 48 8; le "$size" 8
}
# The component's state out of such a file (what Ardour saves in a session).
component_state() {  # preset file
  local list count k id
  list=$(od -An -t u8 -j 40 -N 8 "$1" | tr -d ' ')
  count=$(od -An -t u4 -j $((list + 4)) -N 4 "$1" | tr -d ' ')
  for ((k = 0; k < count; k++)); do
    id=$(dd if="$1" bs=1 skip=$((list + 8 + 20 * k)) count=4 status=none)
    [ "$id" = Comp ] || continue
    read -r at size < <(od -An -t u8 -j $((list + 12 + 20 * k)) -N 16 "$1")
    tail -c +$((at + 1)) "$1" | head -c "$size"
    return 0
  done
  return 1
}

export KIT_PRESET="Ardour test"
presets="$HOME/.vst3/presets/Quenmar/DrumTamrik Kit"
mkdir -p "$presets"
"$state_tool" make 2 "Ardour Snare" 54 0.75 >state.bin
preset_file 185D364037194850B13E234725AD0343 state.bin >"$presets/$KIT_PRESET.vstpreset"

run_lua make make.log
grep -E '^(listed|heard|plugin|param|saved)' make.log
grep -qx 'plugin DrumTamrik Kit, 18 audio outputs, the insert 18, the track 18' make.log
grep -q '^heard on the Kit' make.log
grep -qx 'heard DrumTamrik on its 2 outputs' make.log

run_lua reopen reopen.log
grep -E '^(plugin|param|saved)' reopen.log
expected=$'param 34 0.2500\nparam 52 61.0000\nparam 54 0.7500\nparam 56 1.0000'
[ "$(grep '^param' reopen.log)" = "$expected" ]
grep -q '^saved$' reopen.log

# The state Ardour saved from the reopened plug-in.
tr -d '\n' <session/kit.ardour | grep -o 'unique-id="185D364037194850B13E234725AD0343".*' |
  grep -o '<chunk>[^<]*' | sed -n '1s/<chunk>//p' | base64 -d >saved.vstpreset
shown=$(component_state saved.vstpreset | "$state_tool" show)
echo "$shown"
for line in 'name 2 Ardour Snare' 'value 34 0.2500' 'value 52 0.4803' 'value 54 0.7500' 'value 56 0.1250'; do
  grep -qxF "$line" <<<"$shown" || { echo "missing from the saved state: $line"; exit 1; }
done
