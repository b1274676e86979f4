#!/usr/bin/env bash
# Qtractor's plug-in scanner reads "TYPE:path" lines on its standard input
# and answers one line per plug-in found:
#   CLAP|name|audio in:out|MIDI in:out|params in:out|flags|path|index|id
# DrumTamrik must come out as a CLAP instrument with no audio input, two
# audio outputs, one MIDI input, 22 parameters and an editor.
set -euo pipefail
scanner=$1 plugin=$2
out=$(echo "CLAP:$plugin" | timeout 30 "$scanner" 2>&1)
echo "$out"
line=$(grep '^CLAP|' <<<"$out" | head -n 1)
IFS='|' read -r type name audio midi params flags path _ <<<"$line"
status=0
check() {  # what, got, expected
  if [ "$2" != "$3" ]; then echo "FAIL: $1 is '$2', expected '$3'"; status=1; fi
}
check type "$type" CLAP
check name "$name" DrumTamrik
check "audio ports" "$audio" 0:2
check "MIDI ports" "$midi" 1:0
check parameters "$params" 22:0
check path "$path" "$plugin"
case ",$flags," in *,GUI,*) ;; *) echo "FAIL: no GUI among the flags '$flags'"; status=1 ;; esac
exit $status
