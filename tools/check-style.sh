#!/usr/bin/env bash
# The style check CI runs: every C++ source must be clang-formatted (.clang-format), include
# by folder (no "../", which would step around the layers) and pass clang-tidy's naming check
# (.clang-tidy). Exits non-zero on the first kind of failure found.
#   bash tools/check-style.sh [--format-only | --tidy-only] [-j N]
# clang-tidy needs a compile database with every target in it (GUI, benchmarks, fuzzers);
# the script configures build-style/ for that (no build: the only generated header is made
# at configure time).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=2 format=1 tidy=1
while [ $# -gt 0 ]; do
  case $1 in
    --format-only) tidy=0; shift ;;
    --tidy-only) format=0; shift ;;
    -j) jobs=$2; shift 2 ;;
    *) echo "check-style: unknown option $1" >&2; exit 2 ;;
  esac
done

status=0

if [ "$format" = 1 ]; then
  # Every tracked C++ file (identity.h.in is a template with @VARIABLES@, not C++).
  if ! git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r -n 16 -P "$jobs" clang-format --dry-run --Werror; then
    echo "check-style: files above are not clang-formatted; run clang-format -i on them" >&2
    status=1
  fi
fi

if [ "$format" = 1 ]; then
  # A quoted include is looked up next to the including file first, so "../app/x.h" would
  # step around the per-layer include views: includes name their folder from src/ instead.
  if git grep -n -E '^\s*#\s*include\s*"\.\./' -- '*.cpp' '*.h' >&2; then
    echo "check-style: include by folder (\"link/ccom.h\"), never by a relative ../ path" >&2
    status=1
  fi
fi

if [ "$tidy" = 1 ]; then
  # Without precompiled headers: each file is parsed with only the includes it names, so one
  # that forgets an include fails here even though the builds' precompiled headers hide it.
  CC=clang CXX=clang++ cmake -S . -B build-style -DZEDA_GUI=ON -DZEDA_BENCH=ON -DZEDA_FUZZ=ON \
    -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON >"${TMPDIR:-/tmp}/zeda-check-style.log" 2>&1 ||
    { cat "${TMPDIR:-/tmp}/zeda-check-style.log" >&2; exit 1; }
  # The project's own translation units; headers are checked through them (HeaderFilterRegex
  # in .clang-tidy matches src/ and the per-layer views build*/layers/<layer>/<folder>/).
  grep -o '"file": *"[^"]*"' build-style/compile_commands.json | sed -E 's/.*"([^"]*)"$/\1/' |
    grep -E "^$(pwd)/(src|cli|sim|tests|bench|fuzz)/.*\.cpp$" | sort -u >build-style/tidy-files.txt
  log=build-style/tidy.log
  if ! xargs -r -n 4 -P "$jobs" clang-tidy -p build-style --quiet <build-style/tidy-files.txt \
      >"$log" 2>/dev/null; then
    # A header seen by many translation units reports once per unit: show each finding once.
    grep -E '(error|warning):' "$log" | sed -E 's#/build-style/layers/[^/]+/#/src/#' | sort -u >&2
    echo "check-style: clang-tidy's naming check failed (rule: HACKING.md, Names)" >&2
    status=1
  fi
fi

exit "$status"
