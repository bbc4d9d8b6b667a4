#!/bin/sh
# Fails unless the library exports exactly one symbol: plugMain. An ELF library is read through
# its dynamic symbol table, a Windows DLL through its export name table (with the objdump given
# as second argument, by default the one found as objdump), where a 32-bit __stdcall export
# would show any decoration the .def file failed to remove; a 32-bit DLL's plugMain must also
# return as __stdcall does.
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
if [ "${objdump:-}" ] && "$objdump" -f "$library" | grep -q 'pei-i386'; then
  # 32-bit Windows hosts call plugMain as __stdcall: every return must remove the three 4-byte
  # arguments from the stack. (These DLLs cannot be run here, so the code is read instead.)
  returns=$("$objdump" -d "$library" |
    awk '/<_plugMain@12>:$/ { inside = 1; next } inside && /^$/ { exit } inside && /\tret/')
  if [ -z "$returns" ] || echo "$returns" | grep -qv 'ret  *\$0xc$'; then
    echo "$library: plugMain does not return as __stdcall:"
    echo "${returns:-(no _plugMain@12 found)}"
    exit 1
  fi
  echo "$library exports plugMain only, as __stdcall"
  exit 0
fi
echo "$library exports plugMain only"
