#!/usr/bin/env bash
# Sets up, builds and starts Tarvex on the software adapter (a simulated bench).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
if [ -x build/app/tarvex-demo ]; then
  exec build/app/tarvex-demo "$@"
fi
echo "Built. The demo program comes with the application shell."
