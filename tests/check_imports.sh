#!/bin/sh
# Fails when a program imports a DLL other than Windows' own.
objdump=$1 exe=$2
dlls=$($objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
[ -n "$dlls" ] || { echo "no imports read from $exe"; exit 1; }
echo "$exe imports:" $dlls
bad=$(echo "$dlls" | grep -vxE 'KERNEL32\.DLL|USER32\.DLL|GDI32\.DLL|ADVAPI32\.DLL|MSVCRT\.DLL')
[ -z "$bad" ] || { echo "unexpected DLLs: $bad"; exit 1; }
