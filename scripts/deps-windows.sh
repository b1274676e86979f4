#!/usr/bin/env bash
# Installs what the Windows part needs, once: the mingw-w64 cross compilers,
# GoogleTest's sources, Xvfb, and wine for 64- and 32-bit programs. Where
# this machine cannot run 32-bit x86 programs itself (or TAMRIK_WINE32=qemu
# asks for that route), 32-bit wine is run under qemu (scripts/qemu-i386.sh).
#   --list   prints the packages
#   --check  says on one line what is missing and how to install it; exit 1
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine64 wine32:i386 xvfb xauth)
qemu=0
if [ "${TAMRIK_WINE32:-}" = qemu ] || ! "$here/qemu-i386.sh" native; then
  qemu=1
  packages+=(qemu-user)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

case ${1:-} in
  --list) echo "${packages[@]}"; exit 0 ;;
  --check)
    if [ ${#missing[@]} -gt 0 ] || [ $need_i386 = 1 ]; then
      how="sudo apt-get install ${missing[*]}"
      [ $need_i386 = 0 ] || how="sudo dpkg --add-architecture i386 && sudo apt-get update && $how"
      echo "missing for 'windows': ${missing[*]} (install: $how, or sudo $here/deps.sh windows)" >&2
      exit 1
    fi
    exit 0 ;;
esac

export DEBIAN_FRONTEND=noninteractive
if [ $need_i386 = 1 ]; then
  dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  # A mirror caught mid-sync fails one list; the others, and what the lists
  # held before, still serve. A package that truly is missing fails below.
  apt-get update -qq || echo "$(basename "$0"): some package lists did not update; going on with the rest" >&2
  echo "installing: ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Not root (a forced qemu route with everything in place): nothing to do.
if [ $qemu = 1 ] && [ "$(id -u)" = 0 ]; then
  "$here/qemu-i386.sh" install
fi
