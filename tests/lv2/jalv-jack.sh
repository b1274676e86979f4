#!/usr/bin/env bash
# A real LV2 host: jalv loads the bundle into a dummy JACK server, gets a
# note every half second, and its first output must not be silent.
source "$(dirname "$0")/jack-session.sh"
# jalv quits when its standard input ends: a pipe this script holds open.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
jalv -x -n drumtamrik urn:quenmar:drum-tamrik <"$work/stdin" >"$work/jalv.log" 2>&1 &
pids+=($!)
wait_for_port drumtamrik:out_1 || { cat "$work/jalv.log"; exit 1; }
connect_when_ready seq:out drumtamrik:midi_in
head -4 "$work/jalv.log"
expect_sound drumtamrik:out_1
