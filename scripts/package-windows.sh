#!/usr/bin/env bash
# Packs build-win/mornstave-win64.zip: both Windows programs (stripped) and
# the read-me in the code page and line ends a Windows user expects.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MST_BUILD_WIN:-$root/build-win}

command -v zip >/dev/null || {
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends zip >/dev/null
}
[ -x "$build/bin/mornstavew.exe" ] && [ -x "$build/bin/mornstave.exe" ] || "$root/scripts/build-windows.sh"

stage=$build/package/mornstave-win64
rm -rf "$build/package" && mkdir -p "$stage"
for exe in mornstave.exe mornstavew.exe; do
  x86_64-w64-mingw32-strip -o "$stage/$exe" "$build/bin/$exe"
done
# The version comes from the build's one version header.
version=$(sed -n 's/^#define MORNSTAVE_VERSION "\(.*\)"$/\1/p' "$build/core/format/include/format/Version.hpp")
sed "s/@VERSION@/$version/" "$root/window/readme.txt" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$stage/readme.txt"

zip=$build/mornstave-win64.zip
rm -f "$zip"
(cd "$build/package" && zip -q -X -r "$zip" mornstave-win64)
echo "$zip"
if command -v unzip >/dev/null; then unzip -l "$zip" | tail -n +2; fi
