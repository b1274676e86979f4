#!/usr/bin/env bash
# 32-bit x86 programs (32-bit wine) under qemu-i386, for machines whose
# kernel cannot run them itself (IA-32 emulation off: "Exec format error").
#   native      exit 0 when this kernel runs 32-bit x86 code itself; asked of
#               the kernel directly, so no binfmt_misc entry (ours included)
#               changes the answer
#   install     (as root) installs qemu-user and builds the preload library
#               that makes 32-bit wine start fast under qemu; registers
#               qemu-i386 with binfmt_misc (until reboot) where the kernel
#               cannot run 32-bit code itself
#   register    (as root) registers qemu-i386 now; on a kernel that runs
#               32-bit code itself the entry takes precedence, which forces
#               the qemu route (TAMRIK_WINE32=qemu)
#   unregister  (as root) removes the entry again
#   env         prints the environment 32-bit wine needs under qemu
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
preload=/usr/local/lib/tamrik/wine-preload-i386.so
binfmt=/proc/sys/fs/binfmt_misc

register() {
  [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
  if [ ! -e $binfmt/qemu-i386 ]; then
    # F: the interpreter is opened now, so it also serves other mount
    # namespaces (and wine's own child processes).
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      > $binfmt/register
  fi
}

native() {
  local probe
  probe=$(mktemp)
  trap 'rm -f "$probe"' RETURN
  cc -O1 -o "$probe" "$here/tests/windows/qemu/Ia32Probe.c" && "$probe" 2>/dev/null
}

case ${1:-} in
  native)
    native
    ;;
  install)
    if ! command -v qemu-i386 >/dev/null; then
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user >/dev/null
    fi
    native || register
    if [ ! $preload -nt "$here/tests/windows/qemu/WinePreload.c" ]; then
      mkdir -p "$(dirname $preload)"
      gcc -m32 -nostdlib -ffreestanding -shared -fPIC -O2 \
        -o $preload "$here/tests/windows/qemu/WinePreload.c"
    fi
    ;;
  register)
    register
    ;;
  unregister)
    if [ -e $binfmt/qemu-i386 ]; then echo -1 > $binfmt/qemu-i386; fi
    ;;
  env)
    # The preload library goes into the emulated processes only; the
    # reserved range keeps the shared user data page reachable.
    # Nehalem: a CPU without AVX, so the engine takes its SSE2 path. qemu's
    # (7.2) AVX2 emulation reads wrong values, and then wild addresses, for
    # the gathers of lanes that each read their own table (the Kit's), where
    # the same DLL gives the golden bits on real CPUs, AVX2 or not.
    echo "export QEMU_SET_ENV=LD_PRELOAD=$preload QEMU_RESERVED_VA=0xffff0000 QEMU_CPU=Nehalem"
    ;;
  *)
    echo "usage: $0 native|install|register|unregister|env" >&2
    exit 2
    ;;
esac
