#!/usr/bin/env bash
# Fuzzes with libFuzzer, ASan and UBSan (clang) in build-fuzz/, two targets side by
# side: fuzz-card (the card reader, the description, the level estimate and the card's
# JSON) and fuzz-writers (the summary's text, CSV, JSON and HTML writers and the
# CP932/UTF-8 conversions). Makes the card seeds with the project's own card writer,
# replays every input kept in fuzz/regressions/ (cards) and fuzz/regressions/writers/,
# then fuzzes each target for SECONDS (default 60). Exits non-zero on any finding; the
# input that caused it is left in build-fuzz/findings/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi
jobs=${MORNSTAVE_JOBS:-2}

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DMORNSTAVE_FUZZ=ON -DMORNSTAVE_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz-card fuzz-writers make-seeds

seeds=build-fuzz/seeds
corpus=build-fuzz/corpus
findings=build-fuzz/findings
rm -rf "$seeds" "$findings"
mkdir -p "$seeds" "$corpus" "$corpus-writers" "$findings"
build-fuzz/bin/make-seeds "$seeds"

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Cards are a few kilobytes; 32 KiB still holds a tree at the depth bound. A single
# input may take 60 s and 2 GiB at most, so a hang or a blow-up is a finding too (the
# slowest input takes well under a second alone; the margin is for a busy machine).
options=(-max_len=32768 -timeout=60 -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1)

# The fuzzer's progress goes to a log; the console gets its summary, or on a finding
# the report. libFuzzer stops itself after max_total_time; the outer time limit only
# guards against a fuzzer that cannot stop.
run() {
  local target=$1 log=$2; shift 2
  if timeout --kill-after=30 $((seconds + 300)) build-fuzz/bin/"$target" "${options[@]}" "$@" >"$log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|Done|stat::)' "$log" || true
  else
    tail -n 80 "$log"
    echo "fuzz: FINDING, see $log and $findings/"
    return 1
  fi
}

replay() {
  local target=$1 folder=$2 kept
  mapfile -t kept < <(find "$folder" -maxdepth 1 -type f ! -name '.*' ! -name '*.md' | sort)
  echo "fuzz: $target: replaying ${#kept[@]} kept input(s)"
  if [ ${#kept[@]} -gt 0 ]; then
    run "$target" "build-fuzz/$target-regressions.log" "${kept[@]}"
  fi
}
replay fuzz-card fuzz/regressions
replay fuzz-writers fuzz/regressions/writers

echo "fuzz: fuzzing each target for $seconds s"
run fuzz-card build-fuzz/fuzz.log -max_total_time="$seconds" "$corpus" "$seeds" &
cards=$!
run fuzz-writers build-fuzz/fuzz-writers.log -max_total_time="$seconds" "$corpus-writers" fuzz/regressions/writers &
writers=$!
status=0
wait "$cards" || status=1
wait "$writers" || status=1
[ "$status" -eq 0 ] || exit 1
echo "fuzz: no finding"
