#!/usr/bin/env bash
# Times --diff -r of two trees of 20,000 cards that differ in 1% of their cards against
# --summary -r of one tree. Prints figures; asserts nothing.
#
#   bench/diff.sh [--rounds N] [--cards N]
#
#   1. Writes the tree (mornstave-benchdata tree) and a copy in which every hundredth
#      card holds another card's bytes.
#   2. Times, round by round and interleaved: mornstave --summary -r OLD and
#      mornstave --diff -r OLD NEW, each writing to a file. Prints the medians, wall
#      and CPU, and the median of the per-round wall ratios.
#
# Uses the build in $MST_BENCH_BUILD (default build/), configuring it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=bench-common.sh
source bench/bench-common.sh
bench_tree_start diff 7 20000 "$@"

old=$work/old
new=$work/new
"$benchdata" tree "$old" "$cards"
cp -r "$old" "$new"
mapfile -t files < <(cd "$new" && find . -type f -name 'skill*.vnt' | sort)
changed=0
for ((i = 0; i + 1 < ${#files[@]}; i += 100)); do
  cp "$new/${files[i + 1]}" "$new/${files[i]}"
  changed=$((changed + 1))
done
echo "$(find "$old" -type f | wc -l) cards in each tree, $changed changed in the second"

run_summary() { measure "$work/summary.out" "$native" --summary -r "$old"; }
# --diff exits 1: the trees differ.
run_diff() { measure "$work/diff.out" "$native" --diff -r "$old" "$new" || [ $? -eq 1 ]; }
kinds=(summary diff)
echo
echo "== Time: $rounds rounds, interleaved"
interleave "${kinds[@]}"
for kind in "${kinds[@]}"; do against "$kind" summary; done
echo "diff/summary, median of the per-round ratios: wall $(round_ratio diff summary)," \
     "CPU $(round_ratio diff summary cpu) (target: at most 2)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
tail -1 "$work/diff.out"
