#!/usr/bin/env bash
# Start-up time of zeda, from exec to a shown window, over several runs.
#   usage: bench/startup.sh [RUNS]        (ZEDA=path/to/zeda to time another build)
# The program quits as soon as its window is exposed (ZEDA_EXIT_AFTER_SHOW=1). It runs
# under a private Xvfb when one is installed and no display is given, else offscreen.
# Prints every run and the median, mean and worst time; the target is below 0.5 s.
set -euo pipefail
cd "$(dirname "$0")/.."
ZEDA=${ZEDA:-build/bin/zeda}
RUNS=${1:-10}
[ -x "$ZEDA" ] || { echo "startup.sh: build $ZEDA first" >&2; exit 2; }

xpid=""
runtime=$(mktemp -d)
chmod 700 "$runtime"
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT

# shellcheck source=bench/display.sh
. bench/display.sh

export ZEDA_EXIT_AFTER_SHOW=1 XDG_RUNTIME_DIR=$runtime
# One run to warm the file cache, not counted.
"$ZEDA" >/dev/null 2>&1 || true
times=()
for i in $(seq "$RUNS"); do
  start=$(date +%s%N)
  "$ZEDA" >/dev/null 2>&1
  end=$(date +%s%N)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  times+=("$t")
  echo "run $i: $t s"
done
printf '%s\n' "${times[@]}" | sort -n | awk -v platform="$platform" '
  { v[NR] = $1; sum += $1 }
  END {
    median = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "startup (%s, %d runs): median %.3f s, mean %.3f s, worst %.3f s (target < 0.5 s)\n",
           platform, NR, median, sum / NR, v[NR]
  }'
