#!/usr/bin/env bash
# Ardour 7, headless: ardour7-lua lists the plug-in, makes a session with a
# MIDI track that has it as instrument and monitors the track's input, to
# which a note every half second goes, while the track's output is recorded.
here=$(dirname "$(realpath "$0")")
source "$here/jack-session.sh"
cd "$work"
ardour7-lua "$here/ardour-session.lua" >"$work/ardour.log" 2>&1 &
ardour=$!
pids+=($ardour)
wait_for_port ":Drums/audio_out 1" || { cat "$work/ardour.log"; exit 1; }
jack_connect seq:out ":Drums/midi_in 1"
if ! expect_sound ":Drums/audio_out 1"; then
  kill "$ardour"; wait "$ardour" || true
  cat "$work/ardour.log"; exit 1
fi
touch recorded  # Ardour plays until then
wait "$ardour"  # its output reaches the log when it ends
grep -E '^(listed|plugin)' "$work/ardour.log"
grep -q '^listed: DrumTamrik urn:quenmar:drum-tamrik' "$work/ardour.log"
grep -q '^plugin 0 DrumTamrik' "$work/ardour.log"
