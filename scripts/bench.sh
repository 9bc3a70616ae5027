#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their reports. Not part of the test run;
# scripts/perf.sh runs the same programs and writes docs/PERFORMANCE.md from them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
for b in build/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" | grep -v -E '^(row|stall)	'
done
