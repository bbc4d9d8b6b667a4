#!/bin/sh
# Fails unless the shared library's dynamic symbol table defines exactly one symbol: plugMain.
set -eu
library=$1
defined=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort -u)
if [ "$defined" != "plugMain" ]; then
  echo "$library exports:"
  echo "$defined"
  exit 1
fi
echo "$library exports plugMain only"
