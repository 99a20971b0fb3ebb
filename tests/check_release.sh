#!/bin/bash
# The program that ships, checked against a second clean build of it.
# usage: check_release.sh SOURCE TOOLCHAIN_FILE DOCVIEW.EXE SCRATCH_FOLDER
# 1. DOCVIEW.EXE built again in a fresh folder (another path) has the same bytes.
# 2. The same build relinked unstripped holds none of MinGW's printf/strtod
#    emulation and no C++ run-time piece, and the product's objects carry no
#    unwinding tables.
set -eu
source=$1 toolchain=$2 exe=$3 scratch=$4
rm -rf "$scratch"
build() {
  cmake -S "$source" -B "$scratch" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DDV_WINE_TESTS=OFF "$@" >"$scratch.log" 2>&1 &&
    cmake --build "$scratch" --target docview >>"$scratch.log" 2>&1 ||
    { tail -n 40 "$scratch.log"; echo "second build failed"; exit 1; }
}
build -DDV_KEEP_SYMBOLS=OFF
if ! cmp "$exe" "$scratch/DOCVIEW.EXE"; then
  echo "two clean builds differ: $exe and $scratch/DOCVIEW.EXE"
  exit 1
fi
echo "same bytes as a second clean build: $exe ($(stat -c %s "$exe") bytes)"

prefix=$(sed -n 's/^set(CMAKE_C_COMPILER \(.*\)-gcc-posix)$/\1/p' "$toolchain")
build -DDV_KEEP_SYMBOLS=ON
symbols=$("$prefix-nm" "$scratch/DOCVIEW.EXE")
bad=$(echo "$symbols" | grep -E ' _*(mingw_pformat|mingw_v?s?n?printf|mingw_strto|strtodg|ms_vsnprintf|[A-Za-z_]+_D2A|gxx_personality|cxa_|Unwind_)|_ZSt|_ZN[0-9]*__gnu_cxx' || true)
if [ -n "$bad" ]; then
  echo "run-time pieces the product must not carry:"
  echo "$bad"
  exit 1
fi
tables=$(find "$scratch/src" \( -name '*.obj' -o -name '*.a' \) -exec "$prefix-objdump" -h {} + |
  grep -E '^ +[0-9]+ (\.eh_frame|\.pdata|\.xdata)' || true)
if [ -n "$tables" ]; then
  echo "unwinding tables in the product's objects:"
  echo "$tables"
  exit 1
fi
echo "no printf/strtod emulation, C++ run-time piece or unwinding table in the product"
