#!/usr/bin/env bash
# DrumTamrik Kit in Ardour 7, headless, as LV2 or as VST 2 (which Ardour
# loads as LXVST): ardour7-lua lists it, makes a session with a MIDI track
# that has it as instrument and checks the track's 18 outputs (the
# plug-in's count, the insert's, the track's, and the track's JACK ports), a
# note sounds on Main, and the session is saved with pad 2 changed: its
# CutOff and Key through Ardour's parameter calls, its name and Level
# through a preset carrying the Kit's state. A second Ardour process reopens
# the session (on Ardour's dummy backend) and saves it again; the state it
# saves must hold all of them.
# Ardour's folders (configuration, caches, presets) are the test's own.
# Usage: ardour-kit.sh lv2|vst LV2-FOLDER KIT-LIBRARY KIT-STATE-TOOL
format=$1 kit_library=$3 state_tool=$4
here=$(dirname "$(realpath "$0")")
set -- "$2"
source "$here/jack-session.sh"
cd "$work"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_CACHE_HOME=$work/home/cache
export KIT_PRESET="Ardour test"
mkdir -p "$HOME"

# Pad 2 named, at Level 0.75: what only state can carry, and a value to
# tell that the state has reached the plug-in.
state=$("$state_tool" make 2 "Ardour Snare" 54 0.75 | base64 -w0)
if [ "$format" = vst ]; then
  export KIT_ID=$((0x546D4B74))  # 'TmKt'
  export LXVST_PATH=$work/vst
  mkdir -p "$LXVST_PATH" "$XDG_CONFIG_HOME/ardour7/presets"
  ln -s "$(realpath "$kit_library")" "$LXVST_PATH/DrumTamrikKit.so"
  # ardour7-lua lists only VST 2 plug-ins already in its cache, which its
  # scanner fills; the wrapper says where Ardour keeps its programs.
  ardour_lib=$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$(command -v ardour7-lua)")
  LD_LIBRARY_PATH=$ardour_lib "$ardour_lib/ardour-vst-scanner" -q "$LXVST_PATH/DrumTamrikKit.so"
  cat >"$XDG_CONFIG_HOME/ardour7/presets/vst-$KIT_ID" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<VSTPresets>
  <ChunkPreset uri="VST:$KIT_ID:xtest" version="1" label="$KIT_PRESET" numParams="482">$state</ChunkPreset>
</VSTPresets>
EOF
else
  export KIT_ID=urn:quenmar:drum-tamrik-kit
  bundle=$work/presets/tamrik-ardour-test.lv2
  export LV2_PATH=$work/presets:$LV2_PATH
  mkdir -p "$bundle"
  cat >"$bundle/manifest.ttl" <<EOF
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
<urn:quenmar:drum-tamrik-kit#ardour-test> a pset:Preset ;
    lv2:appliesTo <$KIT_ID> ;
    rdfs:seeAlso <preset.ttl> .
EOF
  # The port's value as well: a host's ports rule over a state's values.
  cat >"$bundle/preset.ttl" <<EOF
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .
<urn:quenmar:drum-tamrik-kit#ardour-test> a pset:Preset ;
    lv2:appliesTo <$KIT_ID> ;
    rdfs:label "$KIT_PRESET" ;
    lv2:port [ lv2:symbol "p2_level" ; pset:value 0.75 ] ;
    state:state [ <$KIT_ID#state> "$state"^^xsd:base64Binary ] .
EOF
fi

# Ardour 7 on JACK now and then loses its client while it sets a session up:
# two of its threads send requests down libjack's one request socket at once
# (its timebase request among them), jackd reads a garbled request, drops
# the client, and Ardour says "JACK HALTED". With -X Ardour then ends, and
# the step runs again, three times at most.
halted() { grep -q '^JACK HALTED' "$1"; }

# Makes the session and leaves Ardour playing it; fails when Ardour was halted.
make_session() {
  rm -rf session ready
  KIT_STEP=make ardour7-lua -X "$here/ardour-kit.lua" >"$work/make.log" 2>&1 &
  ardour=$!
  pids+=($ardour)
  for _ in $(seq 1800); do
    [ -e ready ] && break
    kill -0 "$ardour" 2>/dev/null || break
    sleep 0.1
  done
  ports=$(jack_lsp 2>/dev/null | grep -cE '^ardour-kit:Kit/audio_out ([1-9]|1[0-8])$' || true)
  if [ -e ready ] && [ "$ports" -eq 18 ]; then return 0; fi
  for _ in $(seq 100); do kill -0 "$ardour" 2>/dev/null || break; sleep 0.1; done
  if halted "$work/make.log"; then
    kill "$ardour" 2>/dev/null; wait "$ardour" || true
    echo "Ardour's JACK client was dropped; again"
    return 1
  fi
  kill "$ardour" 2>/dev/null; wait "$ardour" || true
  cat "$work/make.log"
  echo "the session was not made, or the track has $ports audio output ports"
  exit 1
}

make_session || make_session || make_session || { cat "$work/make.log"; exit 1; }
echo "$ports audio output ports on the track"
if ! jack_connect seq:out "ardour-kit:Kit/midi_in 1" ||
   ! expect_sound "ardour-kit:Kit/audio_out 1"; then
  kill "$ardour"; wait "$ardour" || true
  cat "$work/make.log"; exit 1
fi
touch recorded
wait "$ardour"  # its output reaches the log when it ends
grep -E '^(listed|plugin|param|saved)' "$work/make.log"
grep -q "^listed: DrumTamrik Kit $KIT_ID" "$work/make.log"
grep -q '^plugin DrumTamrik Kit, 18 audio outputs, the insert 18, the track 18$' "$work/make.log"

KIT_STEP=reopen ardour7-lua "$here/ardour-kit.lua" >"$work/reopen.log" 2>&1 || { cat "$work/reopen.log"; exit 1; }
grep -E '^(plugin|param|saved)' "$work/reopen.log"
expected_params=$'param 34 0.2500\nparam 52 0.4803\nparam 54 0.7500'
[ "$(grep '^param' "$work/reopen.log")" = "$expected_params" ]
grep -q '^saved$' "$work/reopen.log"

# The state Ardour saved from the reopened plug-in (an LV2 state equal to the
# one before is kept in its folder, which the session names).
if [ "$format" = vst ]; then
  saved=$(tr -d '\n' <session/kit.ardour | grep -o '<chunk[^>]*>[^<]*' | sed 's/.*>//')
else
  dir=$(grep -o '<lv2 [^>]*state-dir="[^"]*"' session/kit.ardour | sed 's/.*state-dir="//; s/"$//')
  saved=$(find session/plugins -path "*/$dir/state.ttl" -exec cat {} + | tr -d '\n\t ' | sed 's/.*#state>"""//; s/""".*//')
fi
shown=$(base64 -d <<<"$saved" | "$state_tool" show)
echo "$shown"
grep -qxF 'name 2 Ardour Snare' <<<"$shown"
grep -qxF 'value 34 0.2500' <<<"$shown"
grep -qxF 'value 52 0.4803' <<<"$shown"
grep -qxF 'value 54 0.7500' <<<"$shown"
