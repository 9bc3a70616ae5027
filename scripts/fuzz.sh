#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs them.
#   scripts/fuzz.sh replay [TARGET...]         each target over its corpus in fuzz/corpus/
#   scripts/fuzz.sh run [SECONDS] [TARGET...]  replay, then fuzz each for SECONDS (default 60)
# Without targets, all of them.
# New inputs the fuzzer finds go to build-fuzz/found/<target>, never into the repository;
# an input that crashes a target is saved as build-fuzz/artifacts/<target>-crash-* and the
# script fails. Copy a crash into fuzz/corpus/<target>/ once it is fixed, so every later
# run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

mode=${1:-replay}
[ $# -gt 0 ] && shift
seconds=60
if [ "$mode" = run ] && [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_kb90_base_file fuzz_kb90_wiring fuzz_ite_presets
                                     fuzz_keyboard_reply fuzz_edid_hex_dump fuzz_edid_decode)
case "$mode" in
  replay|run) ;;
  *) echo "usage: $0 replay [TARGET...] | run [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac

ensure_packages clang-14 libclang-rt-14-dev cmake ninja-build
build=${TARVEX_FUZZ_BUILD:-build-fuzz}
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

mkdir -p "$build/artifacts"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for t in "${targets[@]}"; do
  corpus="fuzz/corpus/$t"
  options=(-artifact_prefix="$build/artifacts/$t-" -timeout=10 -rss_limit_mb=2048)
  if ! "$build/$t" "${options[@]}" "$corpus"/* >"$build/$t.replay.log" 2>&1; then
    echo "$t: corpus replay FAILED (see $build/$t.replay.log)"
    failed+=("$t")
    continue
  fi
  echo "$t: corpus replay passed ($(ls "$corpus" | wc -l) inputs)"
  [ "$mode" = run ] || continue
  found="$build/found/$t"
  mkdir -p "$found"
  if "$build/$t" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
       "$found" "$corpus" >"$build/$t.run.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$t.run.log")
    echo "$t: fuzzed ${seconds} s, ${runs:-?} inputs, no crash"
  else
    echo "$t: CRASH while fuzzing (see $build/$t.run.log and $build/artifacts/)"
    grep -m3 -E 'ERROR|check failed|runtime error' "$build/$t.run.log" || true
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failing: ${failed[*]}"
  exit 1
fi
