#!/usr/bin/env bash
# Builds and runs the test suite under AddressSanitizer + UndefinedBehaviorSanitizer, or
# under ThreadSanitizer.
#   scripts/sanitize.sh asan|tsan [--threaded] [ctest arguments...]
# --threaded builds and runs only the test programs whose code runs threads (workers, the
# software adapter's firmware and delivery threads, the command line's child processes):
# all but the plain frame tests, and without the programs the tests do not need. CI runs
# ThreadSanitizer that way.
# A finding stops the test that made it. Known reports from libraries built without the
# sanitizer are suppressed in tests/sanitizers/*.supp, each with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
kind=${1:?asan or tsan}
shift
case "$kind" in
  asan) option=-DTARVEX_ASAN=ON ;;
  tsan) option=-DTARVEX_TSAN=ON ;;
  *) echo "usage: $0 asan|tsan [--threaded] [ctest arguments...]" >&2; exit 2 ;;
esac
targets=()
if [ "${1:-}" = --threaded ]; then
  shift
  targets=(tests_link tests_emulator tests_serial tests_app tests_edid tests_kb90 tests_keyboard
           tests_mec16 tests_ite tests_cli tests_reliability soak_reliability)
fi

ensure_packages "${tarvex_build_packages[@]}"
build=${TARVEX_SANITIZE_BUILD:-build-$kind}
# Line tables only (-g1): every report still names function, file and line, and the build
# is quicker than with full debug information.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 "$option" \
  -DTARVEX_BUILD_BENCH=OFF >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build" -j"$(nproc)"
fi

supp="$PWD/tests/sanitizers"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$supp/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
# Programs left unbuilt on purpose show up as <program>_NOT_BUILT; they are not failures.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -E '_NOT_BUILT$' "$@"
