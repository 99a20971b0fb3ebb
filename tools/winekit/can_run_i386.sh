#!/bin/bash
# Succeeds when this machine can execute 32-bit x86 code: runs a tiny static
# i386 ELF (exit(0) through int 0x80) written here, not any installed program.
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/dv-i386-XXXXXX")
trap 'rm -f "$probe"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes), then the code:
# xor eax,eax; inc eax; xor ebx,ebx; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
printf '\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
printf '\x31\xc0\x40\x31\xdb\xcd\x80' >>"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
