#!/usr/bin/env bash
# Times the console program against cat and find over the benchmark data, and against
# another build of itself where one is given. Prints medians of interleaved rounds and
# peak memory; asserts nothing.
#
#   bench/compare.sh [--rounds N] [--before PROGRAM]
#
#   1. The 10,000-card corpus (mornstave-benchdata corpus); its readable cards are
#      those the program reads without an error line. Each round, in turn: cat of
#      those files to a file, the text report of them to a file (C locale: CP932), the
#      same in a UTF-8 locale (UTF-8), and --format=json of them to a file; with
#      --before, that program's three too.
#   2. A 20,000-card tree of three levels (mornstave-benchdata tree). Each round:
#      find TREE -name 'skill*.vnt' -exec cat {} + to /dev/null, and --summary -r TREE
#      to /dev/null (and the --before program's), wall and CPU time.
#   3. Peak resident memory: the text report of 100 and of all readable cards, the
#      summary of a tenth of the tree and of all of it.
#
# Uses the build in $MST_BENCH_BUILD (default build/), configuring it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

rounds=7
before=
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --before) before=$(realpath "$2"); shift 2 ;;
    *) echo "usage: bench/compare.sh [--rounds N] [--before PROGRAM]" >&2; exit 2 ;;
  esac
done

# shellcheck source=bench-common.sh
source bench/bench-common.sh
bench_build

work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT


echo "== Machine"
date
echo "$(nproc) CPUs, $(uname -srm); load $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== The corpus's readable cards: $rounds rounds, interleaved, each to a file"
"$benchdata" corpus "$work/corpus" 10000
cd "$work/corpus"
all=(skill*.vnt)
LC_ALL=C "$native" "${all[@]}" 2> "$work/errors" > /dev/null || true
mapfile -t cards < <(printf '%s\n' "${all[@]}" | grep -vxF -f <(sed 's/: .*//' "$work/errors"))
echo "${#cards[@]} of ${#all[@]} cards readable, $(cat "${cards[@]}" | wc -c) bytes"
run_cat() { measure "$work/cat.out" cat "${cards[@]}"; }
run_text() { LC_ALL=C measure "$work/text.out" "$native" "${cards[@]}"; }
run_utf8() { LC_ALL=C.UTF-8 measure "$work/utf8.out" "$native" "${cards[@]}"; }
run_json() { measure "$work/json.out" "$native" --format=json "${cards[@]}"; }
run_text_before() { LC_ALL=C measure "$work/text_before.out" "$before" "${cards[@]}"; }
run_utf8_before() { LC_ALL=C.UTF-8 measure "$work/utf8_before.out" "$before" "${cards[@]}"; }
run_json_before() { measure "$work/json_before.out" "$before" --format=json "${cards[@]}"; }
kinds=(cat text utf8 json)
[ -z "$before" ] || kinds+=(text_before utf8_before json_before)
interleave "${kinds[@]}"
against text cat
against utf8 cat
against json text
against json cat
if [ -n "$before" ]; then
  against text_before cat
  against utf8_before cat
  against json_before text_before
  cmp -s "$work/text.out" "$work/text_before.out" && echo "the two reports are equal" || echo "the reports DIFFER"
  cmp -s "$work/utf8.out" "$work/utf8_before.out" && echo "the two UTF-8 reports are equal" ||
    echo "the UTF-8 reports DIFFER"
  cmp -s "$work/json.out" "$work/json_before.out" && echo "the two JSON documents are equal" ||
    echo "the JSON documents DIFFER"
fi
echo "peak memory of the text report: 100 cards $(measure "$work/p.out" "$native" "${cards[@]:0:100}";
  field "$work/p.out.stats" peak_kib) KiB, ${#cards[@]} cards $(measure "$work/p.out" "$native" "${cards[@]}";
  field "$work/p.out.stats" peak_kib) KiB"
cd "$root"
rm -rf "$work/corpus" "$work"/*.out

echo
echo "== A 20,000-card tree: $rounds rounds, interleaved, each to /dev/null"
tree=$work/tree
"$benchdata" tree "$tree" 20000 > /dev/null
run_find() { measure "$work/find.out" sh -c 'find "$1" -name "skill*.vnt" -exec cat {} + > /dev/null' sh "$tree"; }
run_summary() { measure "$work/summary.out" sh -c '"$1" --summary -r "$2" > /dev/null' sh "$native" "$tree"; }
run_summary_before() {
  measure "$work/summary_before.out" sh -c '"$1" --summary -r "$2" > /dev/null' sh "$before" "$tree"
}
kinds=(find summary)
[ -z "$before" ] || kinds+=(summary_before)
interleave "${kinds[@]}"
against summary find
[ -z "$before" ] || against summary_before find
echo "peak memory of the summary: $(find "$tree/area1" -name 'skill*.vnt' | wc -l) cards" \
     "$(measure "$work/p.out" "$native" --summary -r "$tree/area1"; field "$work/p.out.stats" peak_kib) KiB," \
     "20000 cards $(measure "$work/p.out" "$native" --summary -r "$tree"; field "$work/p.out.stats" peak_kib) KiB"
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
