#!/bin/bash
# Where this machine's kernel refuses 32-bit x86 programs (IA-32 emulation
# switched off), has them run under user-mode emulation: installs qemu-user if
# missing, mounts binfmt_misc if it is not, registers an i386 entry for
# qemu-i386 (one there already is kept) and builds the preload 32-bit Wine
# needs under it (qemu_mmap_shim.c; bin/wine hands it to every 32-bit program).
# Prints one line, how 32-bit code runs now; succeeds when it runs at all.
# Needs root for all but the native case.
set -u
here=$(cd "$(dirname "$0")" && pwd)
misc=/proc/sys/fs/binfmt_misc
qemu=/usr/bin/qemu-i386
shim_dir=${DV_I386_SHIM_DIR:-/usr/local/lib/dv-qemu-i386}

changed=
mode=$("$here/can_run_i386.sh" --mode)
if [ "$mode" = native ]; then
  echo "32-bit code runs natively"
  exit 0
fi

fail() {
  echo "32-bit code cannot run here: $*"
  exit 1
}

if [ "$mode" = none ]; then
  if [ ! -x "$qemu" ]; then
    # Without qemu-user-binfmt (recommended): the entry is registered below.
    export DEBIAN_FRONTEND=noninteractive
    log=$(mktemp)
    if ! { apt-get install -y -qq --no-install-recommends qemu-user ||
           { apt-get update -qq && apt-get install -y -qq --no-install-recommends qemu-user; }; } >"$log" 2>&1; then
      why=$(tail -n 1 "$log")
      rm -f "$log"
      fail "qemu-user did not install ($why)"
    fi
    rm -f "$log"
  fi
  if ! mountpoint -q "$misc"; then
    mount -t binfmt_misc binfmt_misc "$misc" || fail "binfmt_misc cannot be mounted at $misc"
  fi
  [ "$(cat "$misc/status" 2>/dev/null)" = enabled ] || fail "binfmt_misc is switched off ($misc/status)"
  if [ ! -e "$misc/qemu-i386" ]; then
    # i386 executables and shared objects (ET_EXEC, ET_DYN), as qemu's own
    # table has them. F: the interpreter is opened now, so it is found from
    # every mount namespace and chroot.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':qemu-i386:M::%s:%s:%s:F' "$magic" "$mask" "$qemu" >"$misc/register" ||
      fail "the qemu-i386 entry could not be registered"
    changed="registered $misc/qemu-i386 until the next boot (echo -1 > $misc/qemu-i386 removes it)"
  fi
  mode=$("$here/can_run_i386.sh" --mode)
  [ "$mode" = emulated ] || fail "i386 programs still do not start with the qemu-i386 entry ($misc/qemu-i386)"
fi

# The preload: freestanding, so any x86 compiler that can emit i386 code builds it.
shim=$shim_dir/qemu_mmap_shim.so
if [ ! "$shim" -nt "$here/qemu_mmap_shim.c" ]; then
  mkdir -p "$shim_dir" || fail "$shim_dir cannot be made"
  cc=$(command -v clang || command -v gcc) || fail "no compiler for the preload (clang or gcc)"
  if [ "${cc##*/}" = clang ]; then target=--target=i386-linux-gnu; else target=-m32; fi
  "$cc" $target -O2 -fPIC -fno-stack-protector -shared -nostdlib -o "$shim.tmp" "$here/qemu_mmap_shim.c" &&
    mv "$shim.tmp" "$shim" || fail "the preload $shim did not build"
fi
interp=$(sed -n 's/^interpreter //p' "$misc/qemu-i386" 2>/dev/null)
echo "32-bit code runs under emulation (${interp:-binfmt_misc}, $("${interp:-$qemu}" --version 2>/dev/null | head -n 1); preload $shim${changed:+; $changed})"
