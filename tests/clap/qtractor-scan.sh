#!/usr/bin/env bash
# Qtractor's plug-in scanner reads "TYPE:path" lines on its standard input
# and answers one line per plug-in found:
#   CLAP|name|audio in:out|MIDI in:out|params in:out|flags|path|index|id
# DrumTamrik must come out as a CLAP instrument with no audio input, two
# audio outputs, one MIDI input, 22 parameters and an editor; DrumTamrik Kit
# next to it with 482 parameters and an editor (the scanner counts the main
# port's two channels only).
set -euo pipefail
scanner=$1 plugin=$2
out=$(echo "CLAP:$plugin" | timeout 30 "$scanner" 2>&1)
echo "$out"
status=0
check() {  # what, got, expected
  if [ "$2" != "$3" ]; then echo "FAIL: $1 is '$2', expected '$3'"; status=1; fi
}
expect() {  # line number, name, parameters
  local line type name audio midi params flags path index
  line=$(grep '^CLAP|' <<<"$out" | sed -n "$1p")
  IFS='|' read -r type name audio midi params flags path index _ <<<"$line"
  check type "$type" CLAP
  check name "$name" "$2"
  check "$2: audio ports" "$audio" 0:2
  check "$2: MIDI ports" "$midi" 1:0
  check "$2: parameters" "$params" "$3:0"
  check "$2: path" "$path" "$plugin"
  check "$2: index" "$index" "$(($1 - 1))"
  case ",$flags," in *,GUI,*) ;; *) echo "FAIL: $2: no GUI among the flags '$flags'"; status=1 ;; esac
}
expect 1 DrumTamrik 22
expect 2 "DrumTamrik Kit" 482
check "plug-ins listed" "$(grep -c '^CLAP|' <<<"$out")" 2
exit $status
