#!/usr/bin/env bash
# Builds and runs the test suite under AddressSanitizer + UndefinedBehaviorSanitizer, or
# under ThreadSanitizer.
#   scripts/sanitize.sh asan|tsan [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:?asan or tsan}
shift
case "$kind" in
  asan) option=-DTARVEX_ASAN=ON ;;
  tsan) option=-DTARVEX_TSAN=ON ;;
  *) echo "usage: $0 asan|tsan [ctest arguments...]" >&2; exit 2 ;;
esac
supp="$PWD/tests/sanitizers"
scripts/setup.sh "build-$kind" "$option" -DCMAKE_BUILD_TYPE=Debug -DTARVEX_BUILD_BENCH=OFF
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$supp/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
ctest --test-dir "build-$kind" --output-on-failure -j"$(nproc)" "$@"
