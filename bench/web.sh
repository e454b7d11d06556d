#!/usr/bin/env bash
# The web build's two speed figures; prints them, asserts nothing.
#   1. The library's text report of the 10,000-card corpus against the native program,
#      in interleaved rounds (native: the whole process writing to a file; library: the
#      first and the second run() of a process over the files already in memory), the
#      medians and their ratios.
#   2. The page over a generated folder of 5,000 cards in headless Chromium: from the
#      folder input to the summary shown (tests/browser/web-page.test.mjs prints it).
#   bench/web.sh [--rounds N]       (needs build/ and build-web/ built)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=5
[ "${1:-}" = "--rounds" ] && rounds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=bench-common.sh
source bench/bench-common.sh

build/bin/mornstave-benchdata corpus "$work/corpus" 10000 >/dev/null
native=() first=() second=()
for ((round = 0; round < rounds; ++round)); do
  start=$(date +%s%N)
  (cd "$work" && LC_ALL=C "$root/build/bin/mornstave" --encoding=cp932 corpus >native.txt)
  native+=($((($(date +%s%N) - start) / 1000000)))
  read -r one two < <(cd "$work" && node "$root/bench/web-report.mjs" "$root/build-web/mornstave.mjs" corpus web.txt)
  first+=("$one") second+=("$two")
done
cmp -s "$work/native.txt" "$work/web.txt" || echo "web bench: the reports differ" >&2
n=$(printf '%s\n' "${native[@]}" | median)
f=$(printf '%s\n' "${first[@]}" | median)
s=$(printf '%s\n' "${second[@]}" | median)
echo "text report of 10,000 cards: native ${n} ms (${native[*]})"
echo "  library, first run ${f} ms (${first[*]}), ratio $(ratio "$f" "$n")"
echo "  library, second run ${s} ms (${second[*]}), ratio $(ratio "$s" "$n")"

cd tests/browser
node web-page.test.mjs "$root/build-web/mornstave.html" "$root/build/bin/mornstave" "$root/build/bin/mornstave-benchdata" "$root/examples" 5000 |
  grep 'shown in'
