#!/usr/bin/env bash
# A real LV2 host: jalv loads the bundle into a JACK server on the dummy
# driver (no sound card), jack_midiseq plays it a note every half second and
# jack_rec records two seconds of its first output, which must not be silent.
# The server has a name of its own, so parallel runs do not meet.
set -euo pipefail
lv2dir=$(realpath "$1")
work=$(mktemp -d)
export JACK_DEFAULT_SERVER=tamrik-lv2-$$ LV2_PATH="$lv2dir:/usr/lib/lv2"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 44100 -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
jack_wait -w -t 10 >/dev/null
# jalv quits when its standard input ends: a pipe this script holds open.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
jalv -x -n drumtamrik urn:quenmar:drum-tamrik <"$work/stdin" >"$work/jalv.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  jack_lsp 2>/dev/null | grep -q '^drumtamrik:out_1$' && break
  sleep 0.1
done
jack_lsp | grep '^drumtamrik:' || { cat "$work/jalv.log"; exit 1; }
jack_midiseq seq 22050 0 60 2000 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do jack_connect seq:out drumtamrik:midi_in 2>/dev/null && break; sleep 0.1; done
jack_rec -f "$work/out.wav" -d 2 drumtamrik:out_1 >/dev/null 2>&1
head -4 "$work/jalv.log"
nonzero=$(od -An -v -tx1 -j44 "$work/out.wav" | tr -s ' ' '\n' | grep -cv '^00$\|^$' || true)
echo "recorded $(stat -c %s "$work/out.wav") bytes, $nonzero non-zero"
[ "$nonzero" -gt 1000 ]
