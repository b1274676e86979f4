#!/usr/bin/env bash
# Installs what the Windows part needs, once: the mingw-w64 cross compilers,
# GoogleTest's sources, and wine for 64- and 32-bit programs. Where this
# machine cannot run 32-bit x86 programs itself, 32-bit wine is run under
# qemu instead (scripts/qemu-i386.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export DEBIAN_FRONTEND=noninteractive
fresh_lists=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  fresh_lists=1
fi
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine64 wine32:i386)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $fresh_lists = 1 ]; then
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Some kernels of this kind of machine have IA-32 emulation switched off.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  "$here/qemu-i386.sh" install
fi
