#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)"
