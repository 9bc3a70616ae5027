#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. CI runs exactly this, then the sanitizer
# and fuzz stages (.ci/run).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARVEX_BUILD:-build}
scripts/setup.sh "$build"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
