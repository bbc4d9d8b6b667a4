#!/bin/sh
# Fails unless the library exports exactly one symbol: plugMain. An ELF library is read through
# its dynamic symbol table, a Windows DLL through its export name table (with the objdump given
# as second argument, by default the one found as objdump), where a 32-bit __stdcall export
# would show any decoration the .def file failed to remove.
set -eu
library=$1
if [ "$(head -c 2 "$library")" = "MZ" ]; then
  objdump=${2:-objdump}
  defined=$("$objdump" -p "$library" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
else
  defined=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort -u)
fi
if [ "$defined" != "plugMain" ]; then
  echo "$library exports:"
  echo "$defined"
  exit 1
fi
echo "$library exports plugMain only"
