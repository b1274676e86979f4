#!/usr/bin/env bash
# Installs the Debian packages a task needs, once, by group:
#   base     the Linux plug-in, tamrik-render and drumtamrik (what the demo builds)
#   lv2      the LV2 bundle
#   tests    the test suite on Linux: GoogleTest, Google Benchmark, Xvfb,
#            the LV2 checkers and hosts (jalv on a dummy JACK server), clang
#            with libFuzzer for the fuzz targets
#   windows  the Windows DLLs and their tests under wine (scripts/deps-windows.sh)
#   all      every group (the default)
# Not root and something missing: one line per group says what and how to
# install it, and the script exits with 2 before anything is configured.
#
# Usage: scripts/deps.sh [GROUP...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages_of() {
  case $1 in
    # dpf-source: Debian's copy of the CLAP headers, for DrumTamrik.clap;
    # libjack-jackd2-dev, libasound2-dev (ALSA audio and sequencer) and
    # liblo-dev (session managers over OSC) for drumtamrik, the standalone program.
    base) echo build-essential cmake pkg-config libx11-dev libpng-dev libsndfile1-dev \
                libfreetype-dev libfontconfig-dev dpf-source libjack-jackd2-dev libasound2-dev liblo-dev ;;
    lv2) echo lv2-dev ;;
    # sord_validate comes from sordi, lv2info from lilv-utils; jackd2 brings
    # jack_midiseq and jack_rec; qtractor brings its CLAP plug-in scanner.
    tests) echo libgtest-dev libgmock-dev libbenchmark-dev libxext-dev libxtst-dev \
                fonts-liberation xvfb xauth liblilv-dev lilv-utils sordi jalv jackd2 \
                clang libclang-rt-14-dev qtractor ;;
    windows) "$here/deps-windows.sh" --list ;;
    *) echo "deps.sh: unknown group '$1' (base, lv2, tests, windows, all)" >&2; exit 2 ;;
  esac
}

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(all)
expanded=()
for g in "${groups[@]}"; do
  case $g in
    all) expanded+=(base lv2 tests windows) ;;
    # The tests load the LV2 bundle and build everything the demo builds.
    tests) expanded+=(base lv2 tests) ;;
    lv2) expanded+=(base lv2) ;;
    windows) expanded+=(base windows) ;;
    *) expanded+=("$g") ;;
  esac
done
read -r -a groups <<<"$(printf '%s\n' "${expanded[@]}" | awk '!seen[$0]++' | tr '\n' ' ')"

plain=() other=()
short=0
for g in "${groups[@]}"; do
  [ "$g" = windows ] && continue
  missing=()
  for p in $(packages_of "$g"); do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && continue
  if [ "$(id -u)" != 0 ]; then
    echo "missing for '$g': ${missing[*]} (install: sudo apt-get install ${missing[*]}, or sudo $0 $g)" >&2
    short=1
  fi
  # What the demo needs comes without the recommended extras, to be quick.
  if [ "$g" = tests ]; then other+=("${missing[@]}"); else plain+=("${missing[@]}"); fi
done
if [[ " ${groups[*]} " == *" windows "* ]] && [ "$(id -u)" != 0 ]; then
  "$here/deps-windows.sh" --check || short=1
fi
[ $short = 0 ] || exit 2

if [ $((${#plain[@]} + ${#other[@]})) -gt 0 ]; then
  echo "installing: ${plain[*]} ${other[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one list; the others, and what the lists
  # held before, still serve. A package that truly is missing fails below.
  apt-get update -qq || echo "$(basename "$0"): some package lists did not update; going on with the rest" >&2
  [ ${#plain[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${plain[@]}" >/dev/null
  [ ${#other[@]} -eq 0 ] || apt-get install -y -qq "${other[@]}" >/dev/null
fi
if [[ " ${groups[*]} " == *" windows "* ]]; then
  "$here/deps-windows.sh"
fi
