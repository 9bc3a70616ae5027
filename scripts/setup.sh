#!/usr/bin/env bash
# Installs what Tarvex needs to build, test and run on Debian 12, then configures and builds it.
# As root it installs missing packages with apt-get; otherwise it prints the line to run.
#   scripts/setup.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

ensure_packages "${tarvex_build_packages[@]}" "${tarvex_run_packages[@]}"

build=${1:-build}
shift || true
# Optimised, with line tables only (-g1): backtraces name function, file and line, and the
# build takes a quarter less time than with full debug information.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
