#!/usr/bin/env bash
# One `ombrel-cli terms FROM..TO` process against one process per year, each
# way N times (default 10): the median wall time of each and the processes'
# own CPU time (user + system), and a check that both print the same lines.
#   bench/year-ranges.sh BUILD_DIR [N] [FROM] [TO]
set -euo pipefail
build=${1:?build dir}
n=${2:-10}
from=${3:-2020}
to=${4:-2030}
cli=$(realpath "$build/ombrel-cli")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$build/History.mdb" "$dir/"

singles() { for ((y = from; y <= to; y++)); do "$cli" --workdir "$dir" terms "$y"; done; }
range() { "$cli" --workdir "$dir" terms "$from..$to"; }

cmp <(singles) <(range) >/dev/null || { echo "the range and the single years differ" >&2; exit 1; }

# Prints "wall cpu" in seconds for one run of the function $1.
measure() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$1" >/dev/null; } 2>&1 )
  awk '{ printf "%.4f %.4f\n", $1, $2 + $3 }' <<<"$out"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

for way in range singles; do
  runs=$(for ((i = 0; i < n; i++)); do measure "$way"; done)
  printf '%-8s %d years: median wall %.4f s, median CPU %.4f s (%d runs)\n' "$way" $((to - from + 1)) \
    "$(cut -d' ' -f1 <<<"$runs" | median)" "$(cut -d' ' -f2 <<<"$runs" | median)" "$n"
done
