#!/usr/bin/env bash
# Reads a DLL's export table and import list with objdump -p: it must export
# exactly the names given (the VST DLL: main and VSTPluginMain; the CLAP
# one: clap_entry) and import only Windows' own DLLs (no libgcc, libstdc++
# or winpthread DLL a host would not have).
#   check-dll.sh OBJDUMP DLL "EXPORT..."
set -euo pipefail
objdump=$1 dll=$2
expected=$(tr ' ' '\n' <<<"$3" | sort | tr '\n' ' ')
dump=$("$objdump" -p "$dll")
exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on {on=0}' <<<"$dump" | sort | tr '\n' ' ')
imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u | tr '\n' ' ')
echo "exports: $exports"
echo "imports: $imports"
status=0
if [ "$exports" != "$expected" ]; then
  echo "FAIL: the exports must be exactly: $expected"; status=1
fi
for dll_name in $imports; do
  case $dll_name in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|msvcrt.dll|advapi32.dll|shell32.dll|ole32.dll|api-ms-win-*) ;;
    *) echo "FAIL: imports $dll_name, which is not part of Windows"; status=1 ;;
  esac
done
exit $status
