#!/bin/bash
# Succeeds when this machine can execute 32-bit x86 code: runs a tiny static
# i386 ELF (read one byte from stdin, then exit(0), through int 0x80) written
# here, not any installed program.
# With --mode it also prints how that code runs: "native", "emulated" (a
# binfmt_misc entry hands i386 programs to an emulator such as qemu-i386) or
# "none". Once such an entry exists the probe runs either way, so the mode is
# read from the kernel's side: /proc/PID/exe of the waiting probe names the
# probe itself when the kernel runs it, the interpreter when binfmt_misc does.
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/dv-i386-XXXXXX")
trap 'exec 3>&-; rm -rf "$dir"' EXIT
probe=$dir/probe
# ELF header (52 bytes), one loadable segment (32 bytes), then the code:
# xor eax,eax; mov al,3; xor ebx,ebx; mov ecx,esp; xor edx,edx; inc edx;
# int 0x80 (read(0, esp, 1)); xor eax,eax; inc eax; xor ebx,ebx; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
printf '\x68\x00\x00\x00\x68\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
printf '\x31\xc0\xb0\x03\x31\xdb\x89\xe1\x31\xd2\x42\xcd\x80\x31\xc0\x40\x31\xdb\xcd\x80' >>"$probe"
chmod +x "$probe"

if [ "${1:-}" != --mode ]; then
  "$probe" </dev/null 2>/dev/null
  exit
fi

# The probe waits in read() on a pipe held open here while its exe is looked at.
mkfifo "$dir/hold"
"$probe" <"$dir/hold" 2>/dev/null &
pid=$!
exec 3>"$dir/hold"
shell=$(readlink "/proc/$$/exe")
exe=
for _ in $(seq 200); do
  # Until the exec the child is this shell; after a refused exec it is gone.
  exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || { exe=; break; }
  [ "$exe" != "$shell" ] && break
  sleep 0.05
done
exec 3>&-
if ! wait "$pid"; then
  echo none
  exit 1
fi
case $exe in
  "$(readlink -f "$probe")") echo native ;;
  "" | "$shell") echo none; exit 1 ;;  # never seen past its exec
  *) echo emulated ;;
esac
