#!/usr/bin/env bash
# Installs the Debian packages that are missing from the lists of this folder (*packages.txt),
# all but the Windows cross builds' list, which is installed only when named as an argument
# (windows-packages.txt). Needs root (or sudo) and apt-get;
# without them it names what is missing and how to install it, and fails.
set -euo pipefail
cd "$(dirname "$0")"

lists=()
for list in ./*packages.txt; do
  [ "$list" = ./windows-packages.txt ] || lists+=("$list")
done
mapfile -t wanted < <(cat "${lists[@]}" "$@" | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)
missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: these Debian packages are missing and this user cannot install them: ${missing[*]}" >&2
  echo "       run as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
if ! command -v apt-get >/dev/null 2>&1; then
  echo "error: no apt-get on this machine; install these packages by hand: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
if ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2; then
  echo "error: apt-get could not install: ${missing[*]}" >&2
  exit 1
fi
