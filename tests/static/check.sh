#!/bin/bash
# Static analysis of src/ and tools/: clang-tidy (the checks in .clang-tidy)
# and cppcheck (warning, performance, portability). Fails on any finding.
# usage: check.sh NATIVE_BUILD_DIR (configured with compile_commands.json)
set -uo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "$1")
db=$build/compile_commands.json
[ -f "$db" ] || { echo "no $db: configure the native preset first"; exit 1; }
status=0

# Portable files come with the flags of the native build; the Windows edge is
# parsed for x86_64 Windows with the MinGW headers.
portable=$(python3 - "$db" <<'PY'
import json, os, sys
root = os.getcwd()
files = sorted({e["file"] for e in json.load(open(sys.argv[1]))
                if e["file"].startswith((root + "/src/", root + "/tools/"))})
print("\n".join(files))
PY
)
windows=$(find src tools -name '*_win.cpp' -o -path src/shell/main.cpp -o -path src/shell/window.cpp \
            -o -path src/shell/launch.cpp | sort)
# The C++ headers come from the MinGW compiler's own search list.
cxxdirs=$(echo | x86_64-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search/p' | grep '^ .*/include/c++' | sed 's/^ /-isystem /')
winflags="--target=x86_64-w64-mingw32 -std=c++17 -fno-exceptions -fno-rtti -nostdinc++ $cxxdirs
  -Isrc -Isrc/resources -Itools/mkloc -Itools/strfile"

echo "clang-tidy: $(echo $portable $windows | wc -w) files"
# shellcheck disable=SC2086
printf '%s\n' $portable | xargs -P 2 -n 4 clang-tidy --quiet -p "$build" >/tmp/dv-tidy.$$ 2>&1 || status=1
# shellcheck disable=SC2086
printf '%s\n' $windows | xargs -P 2 -I{} clang-tidy --quiet {} -- $winflags >>/tmp/dv-tidy.$$ 2>&1 || status=1
grep -E '(warning|error):' /tmp/dv-tidy.$$ | grep -v 'warnings generated' || true
rm -f /tmp/dv-tidy.$$

echo "cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability --inline-suppr \
  --std=c++17 -Isrc -Isrc/resources -Itools/mkloc -Itools/strfile \
  --suppress=missingIncludeSystem src tools || status=1

[ $status -eq 0 ] && echo "static analysis: clean" || echo "static analysis: findings above"
exit $status
