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

platform="offscreen"
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  for n in $(seq 150 180); do
    if [ ! -e /tmp/.X11-unix/X$n ]; then disp=:$n; break; fi
  done
  Xvfb "$disp" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${disp#:}" ] && break; sleep 0.1; done
  export DISPLAY=$disp
  platform="xcb (Xvfb $disp)"
elif [ -n "${DISPLAY:-}" ]; then
  platform="xcb ($DISPLAY)"
else
  export QT_QPA_PLATFORM=offscreen
fi

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
