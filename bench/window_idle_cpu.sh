#!/usr/bin/env bash
# CPU taken by the window connected to an idle unit: zeda --simulate with the engine stopped,
# measured over SECONDS after it has connected and read the unit. The target is below 1 % of
# one core.
#   usage: bench/window_idle_cpu.sh [SECONDS] [RUNS]    (ZEDA=path/to/zeda for another build)
# Runs under a private Xvfb when one is installed and no display is given, else offscreen.
# Prints every run (the window's process alone, and the simulator beside it) and the median.
set -euo pipefail
cd "$(dirname "$0")/.."
ZEDA=${ZEDA:-build/bin/zeda}
SECONDS_MEASURED=${1:-30}
RUNS=${2:-3}
[ -x "$ZEDA" ] || { echo "window_idle_cpu.sh: build $ZEDA first" >&2; exit 2; }

xpid=""
zpid=""
runtime=$(mktemp -d)
settings=$(mktemp -d)
chmod 700 "$runtime"
cleanup() {
  [ -n "$zpid" ] && kill "$zpid" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  rm -rf "$runtime" "$settings"
}
trap cleanup EXIT

# shellcheck source=bench/display.sh
. bench/display.sh
export XDG_RUNTIME_DIR=$runtime ZEDA_SETTINGS_DIR=$settings ZEDA_PORTS_ONLY=1

hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
results=()
echo "platform: $platform; $SECONDS_MEASURED s per run"
for run in $(seq "$RUNS"); do
  "$ZEDA" --simulate --engine stopped >/dev/null 2>&1 &
  zpid=$!
  sleep 10  # connected, checked and read
  sim=$(pgrep -P "$zpid" zedasim || true)
  a=$(cpu_ticks "$zpid")
  s0=$([ -n "$sim" ] && cpu_ticks "$sim" || echo 0)
  sleep "$SECONDS_MEASURED"
  b=$(cpu_ticks "$zpid")
  s1=$([ -n "$sim" ] && cpu_ticks "$sim" || echo 0)
  kill "$zpid"
  wait "$zpid" 2>/dev/null || true
  zpid=""
  pct=$(awk -v t=$((b - a)) -v hz="$hz" -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
  simpct=$(awk -v t=$((s1 - s0)) -v hz="$hz" -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
  echo "run $run: window $pct % of a core (simulator $simpct %)"
  results+=("$pct")
done
printf '%s\n' "${results[@]}" | sort -n | awk '{ v[NR] = $1 } END {
  printf "median %.2f %% of a core (target < 1 %%)\n", v[int((NR + 1) / 2)] }'
