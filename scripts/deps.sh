#!/usr/bin/env bash
# Installs the Debian packages the build, the tools and the tests need, once.
set -euo pipefail
packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libx11-dev libxext-dev libxtst-dev libpng-dev libsndfile1-dev
          libfreetype-dev libfontconfig-dev fonts-liberation xvfb xauth)
# LV2: the format's headers, lilv for the test host, the checkers
# (sord_validate from sordi, lv2info from lilv-utils) and a real host
# (jalv on a dummy JACK server; jackd2 brings jack_midiseq and jack_rec).
packages+=(lv2-dev liblilv-dev lilv-utils sordi jalv jackd2)
# Fuzzing (scripts/fuzz.sh): clang with its libFuzzer and sanitizer runtimes.
packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The Windows build and its wine tests have a script of their own.
"$(dirname "$0")/deps-windows.sh"
