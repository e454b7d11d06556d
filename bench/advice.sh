#!/usr/bin/env bash
# Times the summary with advice of a 20,000-card three-level tree against the summary
# alone, and checks that the advice search costs no more CPU than the goal allows.
# Prints figures; asserts nothing.
#
#   bench/advice.sh [--rounds N] [--cards N]
#
#   1. Writes the tree (mornstave-benchdata tree, as bench/summary.sh does).
#   2. Times, round by round and interleaved: mornstave --summary -r DIR and
#      mornstave --summary --advise -r DIR, each writing its table to a file. Prints
#      the medians, wall and CPU, and the median of the per-round CPU ratios (the
#      goal: at most 2).
#
# Uses the build in $MST_BENCH_BUILD (default build/), configuring it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=bench-common.sh
source bench/bench-common.sh
bench_tree_start advice 11 20000 "$@"

tree=$work/tree
"$benchdata" tree "$tree" "$cards" > /dev/null
echo "$(find "$tree" -type f | wc -l) cards"

run_summary() { measure "$work/summary.out" "$native" --summary -r "$tree"; }
run_advise() { measure "$work/advise.out" "$native" --summary --advise -r "$tree"; }
echo
echo "== Time over the tree: $rounds rounds, interleaved"
interleave summary advise
against summary summary
against advise summary
echo "advise/summary CPU time, median of the per-round ratios: $(round_ratio advise summary cpu) (goal: at most 2)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
