#!/usr/bin/env bash
# Builds and runs the benchmarks. Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
