#!/usr/bin/env bash
# Times the console program against cat over a corpus of skill cards, measures peak
# memory, and runs the micro-benchmarks. Prints figures; asserts nothing.
#
#   bench/run.sh [--rounds N] [--cards N] [--no-micro] [--no-wine]
#
#   1. Makes a corpus of N cards (10,000) with the project's own card writer.
#   2. Times, round by round and interleaved so that the machine's other load falls on
#      all alike: cat over the corpus, the native mornstave over it, and mornstave.exe
#      under Wine where build-win/bin/mornstave.exe exists. Each writes to a file.
#      Prints every median and its ratio to cat.
#   3. Peak resident memory of the console over 1, 100 and all cards (it should stay
#      flat), and for one card of 5 and of 50 MB (a small multiple of the file).
#   4. Single runs on those two cards, to show the whole load, describe and estimate
#      growing linearly, and on the card whose report is longest for its size.
#   5. The Google Benchmark micro-benchmarks and their linear pairs.
#
# Uses the build in $MST_BENCH_BUILD (default build/), configuring it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

rounds=11
cards=10000
micro=1
wine_wanted=1
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --cards) cards=$2; shift 2 ;;
    --no-micro) micro=0; shift ;;
    --no-wine) wine_wanted=0; shift ;;
    *) echo "usage: bench/run.sh [--rounds N] [--cards N] [--no-micro] [--no-wine]" >&2; exit 2 ;;
  esac
done

build=${MST_BENCH_BUILD:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(mornstave mornstave-benchdata)
[ "$micro" -eq 0 ] || targets+=(mornstave-bench)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
native=$root/$build/bin/mornstave
benchdata=$root/$build/bin/mornstave-benchdata
if [ "$micro" -eq 1 ] && [ ! -x "$build/bin/mornstave-bench" ]; then
  echo "(Google Benchmark not installed: no micro-benchmarks)"
  micro=0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== Machine"
date
echo "$(nproc) CPUs, $(uname -srm)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
echo "busiest processes:"
ps -eo pcpu=,comm= --sort=-pcpu | head -4 | sed 's/^/  /'

echo
echo "== Corpus"
corpus=$work/corpus
"$benchdata" corpus "$corpus" "$cards"
ls -l "$corpus" | awk 'NR > 1 { print $5 }' | sort -n | awk '
  { v[NR] = $1; total += $1 }
  END { printf "%d cards, %d bytes: median %d, 90th percentile %d, 99th %d, largest %d bytes\n",
        NR, total, v[int(NR / 2)], v[int(NR * 0.9)], v[int(NR * 0.99)], v[NR] }'

# Relative names, as a user in the scenario folder would type them; Windows command
# lines hold at most 32767 characters, so Wine gets the names in batches.
cd "$corpus"
names=(skill*.vnt)

wine_ok=0
if [ "$wine_wanted" -eq 1 ] && [ -x "$root/build-win/bin/mornstave.exe" ] && command -v wine >/dev/null; then
  # shellcheck source=../scripts/wine-common.sh
  . "$root/scripts/wine-common.sh"
  if mst_locale && mst_wine_env && mst_prefix; then
    wine_ok=1
    winexe=$root/build-win/bin/mornstave.exe
  fi
fi

run_cat() { cat "${names[@]}" > "$work/cat.out"; }
run_native() { "$native" "${names[@]}" > "$work/native.out" 2> "$work/native.err"; }
run_wine() {
  printf '%s\n' "${names[@]}" | xargs -s 30000 wine "$winexe" > "$work/wine.out" 2> "$work/wine.err"
}

kinds=(cat native)
[ "$wine_ok" -eq 0 ] || kinds+=(wine)
for kind in "${kinds[@]}"; do run_$kind; : > "$work/$kind.times"; done  # warm the page cache

echo
echo "== Time over the corpus: $rounds rounds, interleaved"
for round in $(seq "$rounds"); do
  for kind in "${kinds[@]}"; do
    start=$(now); run_$kind; end=$(now)
    echo $((end - start)) >> "$work/$kind.times"
  done
done
cd "$root"

cat_median=$(median < "$work/cat.times")
for kind in "${kinds[@]}"; do
  m=$(median < "$work/$kind.times")
  printf '%-7s median %9s ms   %6s x cat\n' "$kind" "$(ms "$m")" "$(ratio "$m" "$cat_median")"
done
# Round by round, the ratio is immune to load that changes between rounds.
paste "$work/native.times" "$work/cat.times" | awk '{ print $1 / $2 }' > "$work/native.ratios"
echo "native/cat, median of the per-round ratios: $(median < "$work/native.ratios" | awk '{ printf "%.2f", $1 }') (target: at most 3)"
echo "native report: $(wc -c < "$work/native.out") bytes, $(wc -l < "$work/native.err") error lines"
if [ "$wine_ok" -eq 1 ]; then
  echo "(Wine includes starting Wine once per batch of names: $(printf '%s\n' "${names[@]}" | xargs -s 30000 echo | wc -l) batches)"
  if cmp -s <(tr -d '\r' < "$work/wine.out") "$work/native.out"; then
    echo "Wine's report equals the native one (line ends aside)"
  else
    echo "Wine's report DIFFERS from the native one"
  fi
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -f "$work"/*.out

peak() { /usr/bin/time -f '%M' -o "$work/peak" "$@" >/dev/null 2>&1; cat "$work/peak"; }
if [ -x /usr/bin/time ]; then
  echo
  echo "== Peak memory of the console (maximum resident set)"
  cd "$corpus"
  one=$(peak "$native" skill00001.vnt)
  hundred=$(peak "$native" "${names[@]:0:100}")
  all=$(peak "$native" "${names[@]}")
  cd "$root"
  echo "1 card: $one KiB, 100 cards: $hundred KiB, ${#names[@]} cards: $all KiB"
fi
rm -rf "$corpus"

# One card: the console's wall time with its report going to a file, its peak memory,
# and the card alone (load, describe into a counter, estimate) in CPU time and memory.
one_card() {
  local label=$1 file=$2 bytes start end kib card_kib
  bytes=$(wc -c < "$file")
  start=$(now); "$native" "$file" > "$work/one.out"; end=$(now)
  echo "$label ($bytes bytes): console $(ms $((end - start))) ms wall, report $(wc -c < "$work/one.out") bytes" \
       "= $(ratio "$(wc -c < "$work/one.out")" "$bytes") x the file"
  rm -f "$work/one.out"
  echo $((end - start)) > "$file.wall"
  [ -x /usr/bin/time ] || return 0
  kib=$(peak "$native" "$file")
  echo "  console peak: $kib KiB = $(ratio $((kib * 1024)) "$bytes") x the file (target: under 20)"
  /usr/bin/time -f '%U %S' -o "$file.cpu" "$benchdata" peak "$file" > "$file.peak"
  card_kib=$(awk '$1 == "peak_kib" { print $2 }' "$file.peak")
  echo "  card alone: peak $card_kib KiB = $(ratio $((card_kib * 1024)) "$bytes") x the file," \
       "CPU $(awk '{ printf "%.3f", $1 + $2 }' "$file.cpu") s"
}
cpu() { awk '{ print $1 + $2 }' "$1"; }

echo
echo "== One big card of content records, wide and deep"
for size in 5 50; do
  "$benchdata" big "$work/big$size.vnt" "$size"
  one_card "$size MB card" "$work/big$size.vnt"
done
big5=$(wc -c < "$work/big5.vnt"); big50=$(wc -c < "$work/big50.vnt")
echo "size ratio $(ratio "$big50" "$big5"); console wall-time ratio" \
     "$(ratio "$(cat "$work/big50.vnt.wall")" "$(cat "$work/big5.vnt.wall")")"
if [ -f "$work/big5.vnt.cpu" ]; then
  echo "card alone, CPU-time ratio $(ratio "$(cpu "$work/big50.vnt.cpu")" "$(cpu "$work/big5.vnt.cpu")")" \
       "(linear: the size ratio, within 20%)"
fi
echo
echo "== The card with the longest report for its size: bare records nested as deep as allowed"
"$benchdata" deepest "$work/deepest.vnt" 10
one_card "10 MB card" "$work/deepest.vnt"
rm -f "$work"/*.vnt

if [ "$micro" -eq 1 ]; then
  echo
  echo "== Micro-benchmarks and linear pairs (Google Benchmark)"
  "$build/bin/mornstave-bench"
fi
echo
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
