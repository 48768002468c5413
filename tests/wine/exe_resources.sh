#!/usr/bin/env bash
# What Explorer shows of tilescroll.exe: an icon group of four sizes that read
# back, and the project's version in the version information's fixed part and
# strings. Needs icoutils. Usage: tests/wine/exe_resources.sh <tilescroll.exe>
set -uo pipefail
exe=${1:?usage: tests/wine/exe_resources.sh <tilescroll.exe>} status=0 ico=$(mktemp) && trap 'rm -f "$ico"' EXIT
version=$(sed -nE 's/^project\(tilescroll VERSION ([0-9.]+).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
check() { if [ "$2" = "$3" ]; then echo "PASS $exe: $1 $3"; else echo "FAIL $exe: $1 $3 (found: $2)"; status=1; fi; }
wrestool -x -t 14 "$exe" >"$ico" 2>/dev/null  # a file: icotool seeks to read the PNG
check "RT_GROUP_ICON sizes" "$(icotool -l "$ico" 2>&1 | sed -nE 's/.*--width=([0-9]+) .*/\1/p' | paste -sd ' ')" "16 32 48 256"
# Words 2 and 3 after VS_FIXEDFILEINFO's signature, each two little-endian halves.
f=$(wrestool -x --raw -t 16 "$exe" 2>/dev/null | od -An -tx1 -v | tr -d ' \n' | sed -nE 's/.*bd04effe.{8}(.{16}).*/\1/p')
[ ${#f} -eq 16 ] && f=$((0x${f:6:2}${f:4:2})).$((0x${f:2:2}${f:0:2})).$((0x${f:14:2}${f:12:2})).$((0x${f:10:2}${f:8:2}))
check "RT_VERSION file version" "$f" "$version.0"
strings=$(wrestool -x --raw -t 16 "$exe" 2>/dev/null | iconv -c -f UTF-16LE -t ASCII | tr -cs '[:print:]' '\n')
check "RT_VERSION strings" "$(grep -x -A1 --no-group-separator -E '(File|Product)Version' <<<"$strings" | paste -sd ' ')" \
  "FileVersion $version ProductVersion $version"
exit "$status"
