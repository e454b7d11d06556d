#!/usr/bin/env bash
# Times mornstavew.exe's result for a folder of generated cards, dropped on its
# window, under Wine inside Xvfb: the time to the card list (also counted from
# the moment the last card was read), the time to the first text in the result box,
# the time to the whole text with the busy state over, and the longest time the
# window took to answer a message meanwhile.  Prints figures; asserts nothing.
#
#   scripts/bench-window.sh [CARDS] [ROUNDS]      (5000 cards, 3 rounds)
#
# The cards are the benchmarks' corpus (bench/), written by the native build's
# mornstave-benchdata; the Windows build is made when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec </dev/null
cards=${1:-5000}
rounds=${2:-3}
export MST_ROOT=$root
export MST_BUILD_WIN=${MST_BUILD_WIN:-$root/build-win}
native=${MST_BUILD_NATIVE:-$root/build}
bin=$MST_BUILD_WIN/bin
# shellcheck source=wine-common.sh
source "$root/scripts/wine-common.sh"

[ -x "$bin/mornstavew_e2e.exe" ] || "$root/scripts/build-windows.sh"
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j2 --target mornstave-benchdata >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-window-bench.XXXXXX")
trap 'mst_stop; rm -rf "$work"' EXIT
"$native/bin/mornstave-benchdata" corpus "$work/cards" "$cards"

mst_locale ja_JP
mst_wine_env
mst_xvfb_start
mst_prefix
mst_dpi 96
winpath() { printf 'Z:%s' "$(echo "$1" | tr '/' '\\')"; }

echo "== mornstavew.exe, a folder of $cards cards dropped on it, $(date)"
echo "$(nproc) CPUs; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
  echo "-- round $round"
  mst_wine 1200 "$bin/mornstavew_e2e.exe" bench "$(winpath "$bin/mornstavew.exe")" \
    "$(winpath "$work/cards")" 2>/dev/null | tr -d '\r'
done
