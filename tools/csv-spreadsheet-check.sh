#!/usr/bin/env bash
# Checks that a spreadsheet reads the monitor CSV as the program means it: zedactl writes
# a few live answers of zedasim to a CSV, LibreOffice converts it headless to .ods and back,
# and every line must come out with 95 columns.
#   tools/csv-spreadsheet-check.sh ZEDASIM ZEDACTL
# Skips (exit 77) with a message when soffice is not installed (Debian: libreoffice-calc-nogui).
set -euo pipefail
sim=${1:?usage: $0 ZEDASIM ZEDACTL}
ctl=${2:?usage: $0 ZEDASIM ZEDACTL}
if ! command -v soffice >/dev/null 2>&1; then
  echo "SKIPPED: soffice is not installed (apt-get install libreoffice-calc-nogui)"
  exit 77
fi
work=$(mktemp -d)
simpid=""
cleanup() {
  if [ -n "$simpid" ]; then kill "$simpid" 2>/dev/null || true; wait "$simpid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" >"$work/sim.out" 2>"$work/sim.err" &
simpid=$!
for _ in $(seq 1 100); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
pty=$(head -n 1 "$work/sim.out")
[ -n "$pty" ] || { echo "zedasim printed no pty"; exit 1; }

ZEDA_PORTS_ONLY=1 "$ctl" monitor --port "$pty" --count 3 --csv "$work/live.csv" >/dev/null

# A private profile, so the check neither needs nor touches the user's own.
profile="-env:UserInstallation=file://$work/profile"
# Semicolon-separated (59), double quote (34), UTF-8 (76), from line 1.
soffice "$profile" --headless --infilter="CSV:59,34,76,1" --convert-to ods \
  --outdir "$work/ods" "$work/live.csv" >/dev/null 2>&1
[ -s "$work/ods/live.ods" ] || { echo "soffice made no .ods"; exit 1; }
# Back to text, tab-separated (units such as "0,1ms" hold commas), to count the columns.
soffice "$profile" --headless --convert-to "csv:Text - txt - csv (StarCalc):9,34,76,1" \
  --outdir "$work/back" "$work/ods/live.ods" >/dev/null 2>&1
lines=$(wc -l <"$work/back/live.csv")
bad=$(awk -F'\t' 'NF != 95 { n++ } END { print n + 0 }' "$work/back/live.csv")
if [ "$lines" -ne 5 ] || [ "$bad" -ne 0 ]; then
  echo "expected 5 lines of 95 columns, got $lines lines, $bad of another width"
  head -c 600 "$work/back/live.csv"
  exit 1
fi
echo "OK: $lines lines of 95 columns"
