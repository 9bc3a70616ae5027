#!/usr/bin/env bash
# The Windows programs: cross-built on Debian 12 with MinGW-w64 (everything but the Qt
# windows, linked statically), their test programs run under Wine, then tarvex-cli.exe
# against the software adapter on a pseudo-terminal through a COM port, and through the
# stand-in D2XX library, compared with the Linux tarvex-cli line for line.
#   scripts/windows.sh           build and test
#   scripts/windows.sh bench     also time one streaming read through the COM port
# As root it installs missing packages with apt-get; otherwise it prints the line to run.
# TARVEX_WIN_BUILD names the Windows build folder (build-win), TARVEX_BUILD the Linux one
# whose tarvex-cli and tarvex-emu-pty the comparison uses (build; they are built there).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

ensure_packages g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build
export PATH="$PATH:/usr/lib/wine"

win=${TARVEX_WIN_BUILD:-build-win}
start=$SECONDS
cmake -S . -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTARVEX_QT=OFF -DTARVEX_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DTARVEX_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build "$win" -j"$(nproc)"
echo "-- Windows build: $((SECONDS - start)) s"

# A Wine prefix of the build's own, made once; no Mono or Gecko is needed.
export WINEPREFIX="$PWD/$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wine64 wineboot --init >/dev/null 2>&1
# One wine server for the whole run: left to itself it exits a moment after its last
# program, and a program starting just then loses its connection ("recvmsg: Connection
# reset by peer"). Its system processes start here, away from the tests' output: started
# by a test they would hold its output open, and ctest would wait for them.
wineserver -w  # the one wineboot started, gone first
wineserver -p >/dev/null 2>&1  # killed at the end, it would dump its objects on our output
wine64 wineboot >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
start=$SECONDS
status=0
ctest --test-dir "$win" --output-on-failure -j"$(nproc)" || status=1
echo "-- Windows test programs under Wine: $((SECONDS - start)) s"

scripts/wine_ports.sh "$win" "${TARVEX_BUILD:-build}" "${1:-}" || status=1
exit $status
