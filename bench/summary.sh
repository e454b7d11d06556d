#!/usr/bin/env bash
# Times the summary of a folder of 100,000 cards in a three-level tree against reading
# the same files with find and cat, and measures the summary's peak memory at two sizes.
# Prints figures; asserts nothing.
#
#   bench/summary.sh [--rounds N] [--cards N]
#
#   1. Writes the tree (mornstave-benchdata tree: one card in 110 at the top, nine in
#      110 in area1..area9, the rest in the hundred folders areaN/setM).
#   2. Times, round by round and interleaved: find DIR -name 'skill*.vnt' -exec cat {} +
#      to /dev/null, and mornstave --summary -r DIR writing its table to a file. Prints
#      the medians, wall and CPU, and the median of the per-round wall ratios.
#   3. Each format once more (text, csv, json, html): time, peak memory, output size.
#   4. Peak memory of the text summary over a tenth of the tree and over all of it: it
#      should grow with the rows alone.
#
# Uses the build in $MST_BENCH_BUILD (default build/), configuring it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# shellcheck source=bench-common.sh
source bench/bench-common.sh
bench_tree_start summary 7 100000 "$@"

echo
echo "== Tree"
tree=$work/tree
"$benchdata" tree "$tree" "$cards"
echo "$(find "$tree" -type f | wc -l) cards in $(find "$tree" -type d | wc -l) folders," \
     "$(du -sb "$tree" | cut -f1) bytes on disk"

run_find() { measure "$work/find.out" sh -c 'find "$1" -name "skill*.vnt" -exec cat {} + >/dev/null' sh "$tree"; }
run_summary() { measure "$work/summary.out" "$native" --summary -r "$tree"; }
kinds=(find summary)
echo
echo "== Time over the tree: $rounds rounds, interleaved"
interleave "${kinds[@]}"
for kind in "${kinds[@]}"; do against "$kind" find; done
echo "summary/find+cat wall time, median of the per-round ratios: $(round_ratio summary find) (target: at most 1.5)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== Each format once"
for format in text csv json html; do
  measure "$work/format.out" "$native" --summary "--format=$format" -r "$tree"
  printf '%-5s wall %8.1f ms  CPU %8.1f ms  peak %7d KiB  output %10d bytes\n' "$format" \
         "$(field "$work/format.out.stats" wall_ms)" "$(field "$work/format.out.stats" cpu_ms)" \
         "$(field "$work/format.out.stats" peak_kib)" "$(wc -c < "$work/format.out")"
done

echo
echo "== Peak memory of the text summary"
measure "$work/small.out" "$native" --summary -r "$tree/area1"
measure "$work/all.out" "$native" --summary -r "$tree"
small_rows=$(find "$tree/area1" -name 'skill*.vnt' | wc -l)
echo "$small_rows cards: $(field "$work/small.out.stats" peak_kib) KiB;" \
     "$cards cards: $(field "$work/all.out.stats" peak_kib) KiB"
awk -v a="$(field "$work/small.out.stats" peak_kib)" -v b="$(field "$work/all.out.stats" peak_kib)" \
    -v n="$small_rows" -v m="$cards" \
    'BEGIN { printf "growth: %.0f bytes per further row\n", (b - a) * 1024 / (m - n) }'
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
