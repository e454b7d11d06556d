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

# The start every tree benchmark shares: bench_tree_start NAME ROUNDS CARDS "$@" reads
# --rounds N and --cards N over the defaults (setting rounds and cards), builds, makes
# $work (removed on exit) and prints the machine and its load.
bench_tree_start() {
  local name=$1
  rounds=$2
  cards=$3
  shift 3
  while [ $# -gt 0 ]; do
    case $1 in
      --rounds) rounds=$2; shift 2 ;;
      --cards) cards=$2; shift 2 ;;
      *) echo "usage: bench/$name.sh [--rounds N] [--cards N]" >&2; exit 2 ;;
    esac
  done
  bench_build
  work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-$name-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  echo "== Machine"
  date
  echo "$(nproc) CPUs, $(uname -srm)"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# The value of KEY in a file of "key value" lines.
field() { awk -v k="$2" '$1 == k { print $2 }' "$1"; }
# Runs a command with its output in OUT; leaves wall_ms, cpu_ms and peak_kib in OUT.stats.
measure() { local out=$1; shift; "$benchdata" child "$out" "$@" > "$out.stats"; }

# Runs each kind once to warm the page cache, then $rounds rounds of all kinds in turn
# (run_KIND measures into $work/KIND.out); leaves the times in $work/KIND.wall and
# $work/KIND.cpu, one line a round. Interleaved, so that load that comes and goes
# weighs on every kind alike.
interleave() {
  local kind round
  for kind in "$@"; do run_$kind; : > "$work/$kind.wall"; : > "$work/$kind.cpu"; done
  for round in $(seq "$rounds"); do
    for kind in "$@"; do
      run_$kind
      field "$work/$kind.out.stats" wall_ms >> "$work/$kind.wall"
      field "$work/$kind.out.stats" cpu_ms >> "$work/$kind.cpu"
    done
  done
}
# KIND against BASE: medians and their ratio, wall and CPU.
against() {
  local kind=$1 base=$2 wall cpu
  wall=$(median < "$work/$kind.wall"); cpu=$(median < "$work/$kind.cpu")
  printf '%-14s wall %8.1f ms = %5s x %-8s CPU %8.1f ms = %5s x %s\n' "$kind" "$wall" \
         "$(ratio "$wall" "$(median < "$work/$base.wall")")" "$base" "$cpu" \
         "$(ratio "$cpu" "$(median < "$work/$base.cpu")")" "$base"
}
# The median of KIND's per-round ratios to BASE's, of wall time or of CPU time (the
# third word, wall by default): immune to load that changes between rounds.
round_ratio() {
  paste "$work/$1.${3:-wall}" "$work/$2.${3:-wall}" | awk '{ print $1 / $2 }' | median | awk '{ printf "%.2f", $1 }'
}
