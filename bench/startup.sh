#!/bin/sh
# Start-up time and peak memory of the window program on a real X server.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# Runs under a private Xvfb (xvfb-run; needs the xvfb and x11-utils packages).
# For each run it starts `ombrel --workdir BUILD_DIR`, polls with xwininfo
# until the main frame is mapped and viewable, and prints the milliseconds
# from exec to that moment and the CPU time the program used by then (which,
# unlike the wall time, does not grow with the machine's load). Then one run of a few seconds under GNU time gives
# the peak resident memory of the running window program. Finally the
# off-screen path: `ombrel --render` (start, first refresh, grab, PNG, exit).
set -eu
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
exe="$build/ombrel"
[ -x "$exe" ] || { echo "no $exe (build the ombrel target first)" >&2; exit 2; }
[ -f "$build/History.mdb" ] || { echo "no $build/History.mdb" >&2; exit 2; }

if [ -z "${OMBREL_STARTUP_INNER:-}" ]; then
  OMBREL_STARTUP_INNER=1 exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$build" "$runs"
fi

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

viewable() {
  id=$(xwininfo -root -tree 2>/dev/null | awk '/\("ombrel" "Ombrel"\)/ {print $1; exit}')
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'
}

# The CPU time (user + system) the process has used, in ms: what the start-up
# costs whatever else the machine is doing (10 ms resolution).
cpu_ms() {
  awk -v tick="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / tick) }' "/proc/$1/stat"
}

echo "exec to viewable main frame (ms), and the program's CPU time by then (ms):"
i=0
while [ "$i" -lt "$runs" ]; do
  start=$(now_ms)
  "$exe" --workdir "$build" 2>/dev/null &
  pid=$!
  tries=0
  until viewable; do
    tries=$((tries + 1))
    [ "$tries" -lt 2000 ] || { kill "$pid"; echo "the window never appeared" >&2; exit 1; }
  done
  echo "  $(( $(now_ms) - start ))  cpu $(cpu_ms "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  i=$((i + 1))
done

echo "peak resident memory of the window program (3 s run):"
/usr/bin/time -f '  %M KB' timeout -s INT 3 "$exe" --workdir "$build" 2>&1 >/dev/null | grep KB || true

echo "ombrel --render (exec to PNG written and exit), seconds and peak memory:"
out=$(mktemp --suffix=.png)
i=0
while [ "$i" -lt "$runs" ]; do
  /usr/bin/time -f '  %e s  %M KB' "$exe" --workdir "$build" --render "$out" 2>&1 >/dev/null | grep KB || true
  i=$((i + 1))
done
rm -f "$out"
