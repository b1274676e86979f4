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
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # A security list that failed for i386 alone leaves i386 libraries older
    # than their amd64 twins, and multi-arch pins want both equal. Fetch the
    # i386 twin of apt's amd64 candidate from the archive's pool, and take
    # that candidate for amd64 too (an upgrade, never a downgrade), a few
    # rounds at most, as each library brings its own.
    echo "$(basename "$0"): fetching i386 libraries to match their amd64 twins" >&2
    debs=() twins=()
    pool=$(mktemp -d)
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      out=$(apt-get install -s --no-install-recommends "${missing[@]}" "${twins[@]}" "${debs[@]}" 2>&1) && break
      for lib in $(grep -o '[a-z0-9][a-z0-9.+-]*:i386' <<<"$out" | sed 's/:i386$//' | sort -u); do
        [ -e "$pool/${lib}_i386.deb" ] && continue
        v=$(apt-cache policy "$lib:amd64" 2>/dev/null | awk '/Candidate:/ {print $2; exit}')
        [ -n "$v" ] && [ "$v" != "(none)" ] || continue
        file=$(apt-cache show "$lib:amd64=$v" 2>/dev/null | awk '/^Filename:/ {print $2; exit}')
        [ -n "$file" ] || continue
        for archive in http://deb.debian.org/debian-security http://deb.debian.org/debian; do
          if curl -sf -o "$pool/${lib}_i386.deb" "$archive/${file%_amd64.deb}_i386.deb"; then
            debs+=("$pool/${lib}_i386.deb")
            twins+=("$lib:amd64")
            break
          fi
        done
      done
    done
    apt-get install -y -qq --no-install-recommends "${missing[@]}" "${twins[@]}" "${debs[@]}" >/dev/null
    rm -rf "$pool"
  fi
fi
# Not root (a forced qemu route with everything in place): nothing to do.
if [ $qemu = 1 ] && [ "$(id -u)" = 0 ]; then
  "$here/qemu-i386.sh" install
fi
