# Sourced by the real-host tests: a JACK server of its own on the dummy
# driver (no sound card), a MIDI note every half second from jack_midiseq,
# and a check that a port's recorded output is not silent. Every process started
# here is ended, by its id, when the test exits: clients first, then the
# server, each waited for, since JACK keeps only a few server slots in shared
# memory and a server ended before its clients leaves its slot taken.
#
# One session at a time on the machine, whatever started it. Servers of
# their own names are not enough: sessions of two test runs side by side (two
# build folders, or a developer's run beside CI's) still lose clients to each
# other (same-named clients such as "seq" and jack_wait's meet in /dev/shm),
# and fail. The lock is held until the test's shell exits; a session lasts
# seconds.
set -euo pipefail
session_script=$(realpath "$0") session_dir=$PWD session_args=("$@")
exec 9>>/tmp/tamrik-jack-session.lock
flock 9
lv2dir=$(realpath "$1")
work=$(mktemp -d)
# One name for every test server (the lock above makes them one at a time):
# JACK keeps 8 servers in its shared registry and frees a dead one's entry
# only when a server of the same name starts, so a server that died (a
# crash, a killed run) under a name of its own would hold its entry for good
# and, after 8 of them, no server would start on the machine.
export JACK_DEFAULT_SERVER=tamrik-test LV2_PATH="$lv2dir:/usr/lib/lv2"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

# A test server a dead test left running would keep this one from starting;
# under the lock nobody else can be using it.
# JACK frees the name only once the old process is gone, zombie or not.
for stray in $(pgrep -f "^jackd -n $JACK_DEFAULT_SERVER " || true); do
  kill -KILL "$stray" 2>/dev/null || true
  for _ in $(seq 3000); do kill -0 "$stray" 2>/dev/null || break; sleep 0.02; done
done
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 44100 -p 256 >"$work/jackd.log" 2>&1 &
jackd_pid=$!
pids+=($jackd_pid)
jack_wait -w -t 60 >/dev/null || { cat "$work/jackd.log"; exit 1; }
jack_midiseq seq 22050 0 60 2000 >/dev/null 2>&1 &
pids+=($!)

# The deadlines below (a minute) only catch a hang: on a busy machine a host
# can take seconds to load a plug-in and show its ports.
wait_for_port() {  # port name
  for _ in $(seq 600); do
    jack_lsp 2>/dev/null | grep -qxF "$1" && return 0
    kill -0 "$jackd_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "no port $1"
  server_died_retry
  return 1
}

# The dummy JACK server itself sometimes goes down while a host connects (Ardour
# 7 with jackd 1.9.21: the server reads garbage on a client's request channel
# and quits), which says nothing about the plug-in. Then the session is run
# again once, from the start, and a second failure stands.
server_died_retry() {
  kill -0 "$jackd_pid" 2>/dev/null && return 0
  run_again "the JACK server went down"
}

# The same for a server whose cycle stalls (seen once with jalv and the Kit:
# every client "not finished", cycle after cycle, for minutes).
run_again() {  # what happened
  [ -z "${TAMRIK_JACK_RETRIED:-}" ] || { echo "$1 again"; return 0; }
  echo "$1; the session once more:"
  grep -m 5 -E 'Unknown request|CheckSize|error|not finished' "$work/jackd.log" || true
  cleanup
  trap - EXIT
  cd "$session_dir"
  exec env TAMRIK_JACK_RETRIED=1 "$session_script" "${session_args[@]}"
}

connect_when_ready() {  # from port, to port
  for _ in $(seq 600); do
    jack_connect "$1" "$2" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "could not connect $1 to $2"; return 1
}

# Records two seconds of a port; fails if fewer than 1000 sample bytes are non-zero.
expect_sound() {  # port name
  # Two seconds of a running server take two seconds; a minute means it stalled.
  if ! timeout 60 jack_rec -f "$work/out.wav" -d 2 "$1" >/dev/null 2>&1; then
    server_died_retry
    run_again "recording $1 did not end: the JACK server's cycle stalled"
    return 1
  fi
  local nonzero
  nonzero=$(od -An -v -tx1 -j44 "$work/out.wav" | tr -s ' ' '\n' | grep -cv '^00$\|^$' || true)
  echo "recorded $(stat -c %s "$work/out.wav") bytes from $1, $nonzero non-zero"
  [ "$nonzero" -gt 1000 ]
}
