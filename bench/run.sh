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
#      Prints every median, wall and CPU time, and its ratio to cat.
#   3. Peak resident memory of the console over 1, 100 and all cards (it should stay
#      flat).
#   4. One card of 5 and one of 50 MB of content records: the console's time and peak
#      memory, and each step of the card alone (load, describe, estimate, destroy), to
#      show them growing linearly; then the card whose report is longest for its size.
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

# shellcheck source=bench-common.sh
source bench/bench-common.sh
if [ "$micro" -eq 1 ]; then bench_build mornstave-bench; else bench_build; fi
if [ "$micro" -eq 1 ] && [ ! -x "$build/bin/mornstave-bench" ]; then
  echo "(Google Benchmark not installed: no micro-benchmarks)"
  micro=0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT


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

run_cat() { measure "$work/cat.out" cat "${names[@]}"; }
# The C locale: today's CP932 report, whatever the locale of the shell.
run_native() { LC_ALL=C measure "$work/native.out" "$native" "${names[@]}"; }
run_json() { measure "$work/json.out" "$native" --format=json "${names[@]}"; }
run_wine() { printf '%s\n' "${names[@]}" | measure "$work/wine.out" xargs -s 30000 wine "$winexe"; }

kinds=(cat native json)
[ "$wine_ok" -eq 0 ] || kinds+=(wine)
echo
echo "== Time over the corpus: $rounds rounds, interleaved, each writing its output to a file"
interleave "${kinds[@]}"
cd "$root"
for kind in "${kinds[@]}"; do against "$kind" cat; done
echo "native/cat wall time, median of the per-round ratios: $(round_ratio native cat) (target: at most 3)"
echo "native report: $(wc -c < "$work/native.out") bytes, $(wc -l < "$work/native.out.err") error lines"
echo "json/native wall time, median of the per-round ratios: $(round_ratio json native) (target: at most 3);" \
     "JSON document: $(wc -c < "$work/json.out") bytes"
if [ "$wine_ok" -eq 1 ]; then
  batches=$(printf '%s\n' "${names[@]}" | xargs -s 30000 echo | wc -l)
  cd "$corpus"
  for round in 1 2 3; do
    measure "$work/wine1.out" wine "$winexe" "${names[0]}"
    field "$work/wine1.out.stats" wall_ms
  done > "$work/wine1.wall"
  cd "$root"
  echo "(Wine starts once per batch of names, $batches batches; one card alone takes" \
       "$(median < "$work/wine1.wall" | awk '{ printf "%.1f", $1 }') ms; its CPU time counts" \
       "the console's process, not wineserver)"
  if cmp -s <(tr -d '\r' < "$work/wine.out") "$work/native.out"; then
    echo "Wine's report equals the native one (line ends aside)"
  else
    echo "Wine's report DIFFERS from the native one"
  fi
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -f "$work"/*.out

echo
echo "== Peak memory of the console (maximum resident set)"
cd "$corpus"
measure "$work/p1.out" "$native" "${names[0]}"
measure "$work/p100.out" "$native" "${names[@]:0:100}"
measure "$work/pall.out" "$native" "${names[@]}"
measure "$work/j1.out" "$native" --format=json "${names[0]}"
measure "$work/jall.out" "$native" --format=json "${names[@]}"
cd "$root"
echo "1 card: $(field "$work/p1.out.stats" peak_kib) KiB, 100 cards: $(field "$work/p100.out.stats" peak_kib) KiB," \
     "${#names[@]} cards: $(field "$work/pall.out.stats" peak_kib) KiB"
echo "JSON: 1 card: $(field "$work/j1.out.stats" peak_kib) KiB, ${#names[@]} cards: $(field "$work/jall.out.stats" peak_kib) KiB"
rm -rf "$corpus" "$work"/p*.out "$work"/j*.out

# One card: the console with its report going to a file, then the card alone (load,
# describe into a counter, estimate, destroy), each step in CPU time. Three runs each;
# medians.
one_card() {
  local label=$1 file=$2 bytes key run
  bytes=$(wc -c < "$file")
  for run in 1 2 3; do measure "$work/one.out" "$native" "$file"; cat "$work/one.out.stats"; done > "$file.console"
  for run in 1 2 3; do "$benchdata" peak "$file"; done > "$file.runs"
  {
    for key in wall_ms cpu_ms peak_kib; do
      echo "console_$key $(awk -v k="$key" '$1 == k { print $2 }' "$file.console" | median)"
    done
    for key in load_cpu_ms describe_cpu_ms estimate_cpu_ms release_cpu_ms cpu_ms peak_kib; do
      echo "$key $(awk -v k="$key" '$1 == k { print $2 }' "$file.runs" | median)"
    done
    echo "report_bytes $(wc -c < "$work/one.out")"
  } > "$file.card"
  rm -f "$work/one.out"
  awk -v bytes="$bytes" -v label="$label" '{ v[$1] = $2 } END {
    printf "%s (%d bytes), report %d bytes = %.2f x the file\n", label, bytes, v["report_bytes"], v["report_bytes"] / bytes
    printf "  console: wall %.1f ms, CPU %.1f ms, peak %d KiB = %.2f x the file (target: under 20)\n",
           v["console_wall_ms"], v["console_cpu_ms"], v["console_peak_kib"], v["console_peak_kib"] * 1024 / bytes
    printf "  card alone, CPU time: load %.1f ms, describe %.1f ms, estimate %.3f ms, destroy %.1f ms;" \
           " whole process %.1f ms; peak %d KiB = %.2f x the file\n", v["load_cpu_ms"], v["describe_cpu_ms"],
           v["estimate_cpu_ms"], v["release_cpu_ms"], v["cpu_ms"], v["peak_kib"], v["peak_kib"] * 1024 / bytes }' "$file.card"
}

echo
echo "== One big card of content records, wide and deep"
for size in 5 50; do
  "$benchdata" big "$work/big$size.vnt" "$size"
  one_card "$size MB card" "$work/big$size.vnt"
done
size_ratio=$(ratio "$(wc -c < "$work/big50.vnt")" "$(wc -c < "$work/big5.vnt")")
echo "size ratio $size_ratio; the larger card's time over the smaller's, divided by the size ratio"
echo "(1.00 is linear; the target is 0.80 to 1.20; CPU times are the steady measure on a shared machine):"
line=" "
for key in console_cpu_ms console_wall_ms cpu_ms load_cpu_ms describe_cpu_ms estimate_cpu_ms release_cpu_ms; do
  r=$(ratio "$(field "$work/big50.vnt.card" "$key")" "$(field "$work/big5.vnt.card" "$key")")
  name=${key%_ms}
  [ "$key" != cpu_ms ] || name=card_process_cpu
  line+=" $name $(ratio "$r" "$size_ratio"),"
done
echo "${line%,}"

echo
echo "== The card with the longest report for its size: bare records nested as deep as allowed"
"$benchdata" deepest "$work/deepest.vnt" 10
one_card "10 MB card" "$work/deepest.vnt"
rm -f "$work"/*.vnt*

if [ "$micro" -eq 1 ]; then
  echo
  echo "== Micro-benchmarks and linear pairs (Google Benchmark)"
  "$build/bin/mornstave-bench"
fi
echo
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
