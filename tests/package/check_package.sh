#!/usr/bin/env bash
# Builds the Debian package of a build tree, unpacks it and checks that it holds the plug-ins,
# ffrun, its man page and the README, and that the unpacked ffrun finds exactly the packaged
# plug-ins beside itself.
# Usage: check_package.sh CPackConfig.cmake WORK_DIR PLUGIN...
set -euo pipefail
config=$1
work=$2
shift 2
plugins=("$@")

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
cpack --config "$config" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack did not build the package"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $work/out, found: ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = glitch-pack ] || fail "package name is not glitch-pack"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
[ -x "$root/usr/bin/ffrun" ] || fail "no usr/bin/ffrun"
[ -s "$root/usr/share/man/man1/ffrun.1" ] || fail "no man page usr/share/man/man1/ffrun.1"
[ -s "$root/usr/share/doc/glitch-pack/README.md" ] || fail "no usr/share/doc/glitch-pack/README.md"

expected=$(printf '%s.so\n' "${plugins[@]}" | sort)
packaged=$(cd "$root/usr/lib/freeframe" && ls | sort)
[ "$packaged" = "$expected" ] || fail "usr/lib/freeframe holds
$packaged
instead of
$expected"

# The unpacked ffrun stands in for an installed one: with no FREEFRAME_PATH it must find the
# packaged plug-ins in its own prefix, and nothing else.
listing=$(env -u FREEFRAME_PATH "$root/usr/bin/ffrun" list)
listed=$(sed -n 's/.*\[\(.*\)\]$/\1/p' <<<"$listing" | sort)
[ "$listed" = "$expected" ] || fail "ffrun list shows
$listing"
info=$(env -u FREEFRAME_PATH "$root/usr/bin/ffrun" info "${plugins[0]}")
grep -qx "File: *$root/usr/lib/freeframe/${plugins[0]}.so" <<<"$info" || fail "ffrun info found ${plugins[0]} elsewhere:
$info"
rm -rf "$work"
echo "package $(basename "$deb") checked"
