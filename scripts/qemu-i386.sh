#!/usr/bin/env bash
# For machines whose kernel cannot run 32-bit x86 programs (IA-32 emulation
# off: wine32 fails with "Exec format error"): runs them under qemu-i386.
#   install  (as root) installs qemu-user, registers qemu-i386 for i386 ELF
#            files with binfmt_misc (lasts until reboot) and builds the
#            preload library that makes 32-bit wine start fast under qemu
#   env      prints the environment 32-bit wine needs under qemu
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
preload=/usr/local/lib/tamrik/wine-preload-i386.so
case ${1:-} in
  install)
    if ! command -v qemu-i386 >/dev/null; then
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user >/dev/null
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
    if [ ! -e $binfmt/qemu-i386 ]; then
      # F: the interpreter is opened now, so it also serves other mount
      # namespaces (and wine's own child processes).
      printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
        > $binfmt/register
    fi
    mkdir -p "$(dirname $preload)"
    gcc -m32 -nostdlib -ffreestanding -shared -fPIC -O2 \
      -o $preload "$here/tests/windows/qemu/WinePreload.c"
    ;;
  env)
    # The preload library goes into the emulated processes only; the
    # reserved range keeps the shared user data page reachable.
    echo "export QEMU_SET_ENV=LD_PRELOAD=$preload QEMU_RESERVED_VA=0xffff0000"
    ;;
  *)
    echo "usage: $0 install|env" >&2
    exit 2
    ;;
esac
