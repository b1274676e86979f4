#!/usr/bin/env bash
# DrumTamrik Kit in a real LV2 host: jalv loads the Kit's bundle into a dummy
# JACK server with pad 1 moved to key 60 (the note the sequencer plays); its
# 18 outputs must appear as ports and the main mix must not be silent.
source "$(dirname "$0")/jack-session.sh"
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
jalv -x -n tamrikkit -c p1_key=0.47244 urn:quenmar:drum-tamrik-kit <"$work/stdin" >"$work/jalv.log" 2>&1 &
pids+=($!)
wait_for_port tamrikkit:aux8_r || { cat "$work/jalv.log"; exit 1; }
outputs=$(jack_lsp 2>/dev/null | grep -cE '^tamrikkit:(main|aux[1-8])_[lr]$' || true)
echo "$outputs outputs"
[ "$outputs" -eq 18 ]
connect_when_ready seq:out tamrikkit:midi_in
expect_sound tamrikkit:main_l
