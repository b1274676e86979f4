#!/usr/bin/env bash
# The Windows part of the test suite: both DLLs (i686, x86_64) and their test
# programs cross-built in Release, then every test under wine, all inside one
# xvfb-run (the editor tests need a display). Each build folder's CTest run
# makes a fresh wine prefix of its own (the wine_prefix fixture).
#
# 32-bit programs run under qemu where the kernel cannot run them itself.
# TAMRIK_WINE32=qemu takes that route on a kernel that can: qemu-i386 is
# registered with a binfmt_misc of this run's own (a user namespace, where
# the kernel has them: 6.7 and later), else (as root) with the machine's for
# the run and removed again afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
binfmt=/proc/sys/fs/binfmt_misc
route=native
scripts/qemu-i386.sh native || route=qemu
if [ "${TAMRIK_WINE32:-}" = qemu ] && [ $route = native ]; then
  if [ -z "${TAMRIK_BINFMT_SANDBOX:-}" ]; then
    scripts/deps-windows.sh   # qemu-user and the preload library
    if unshare --user --map-root-user --mount sh -c "mount -t binfmt_misc binfmt_misc $binfmt" 2>/dev/null; then
      exec env TAMRIK_BINFMT_SANDBOX=1 unshare --user --map-root-user --mount --fork "$0" "$@"
    fi
  fi
  if [ -n "${TAMRIK_BINFMT_SANDBOX:-}" ]; then
    mount -t binfmt_misc binfmt_misc $binfmt
    scripts/qemu-i386.sh register
    echo "-- qemu-i386 registered in this run's own binfmt_misc"
  elif [ ! -e $binfmt/qemu-i386 ]; then
    trap 'scripts/qemu-i386.sh unregister' EXIT
    scripts/qemu-i386.sh register
  fi
  route=qemu
fi
for arch in i686 x86_64; do
  cmake -S . -B build-win-$arch -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-$arch.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win-$arch -j"$jobs" --target windows_tests
done
echo "-- 32-bit programs: $route"
if [ $route = qemu ]; then
  eval "$(scripts/qemu-i386.sh env)"
fi
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c '
  set -e
  for arch in i686 x86_64; do
    echo "-- $arch"
    ctest --test-dir build-win-$arch --output-on-failure
  done'
