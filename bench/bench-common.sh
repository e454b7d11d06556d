# Shared by the benchmark scripts: the build they time and the arithmetic of their
# figures. Source it from the project's root; it defines functions only.

# Configures $MST_BENCH_BUILD (default build/) where needed and builds the console and
# the benchmark data tool, with any further targets given; sets native and benchdata.
bench_build() {
  build=${MST_BENCH_BUILD:-build}
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target mornstave mornstave-benchdata "$@" >/dev/null
  native=$PWD/$build/bin/mornstave
  benchdata=$PWD/$build/bin/mornstave-benchdata
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# The value of KEY in a file of "key value" lines.
field() { awk -v k="$2" '$1 == k { print $2 }' "$1"; }
# Runs a command with its output in OUT; leaves wall_ms, cpu_ms and peak_kib in OUT.stats.
measure() { local out=$1; shift; "$benchdata" child "$out" "$@" > "$out.stats"; }
