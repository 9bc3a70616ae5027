#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs them.
#   scripts/fuzz.sh replay [TARGET...]         each target over its corpus in fuzz/corpus/
#   scripts/fuzz.sh run [SECONDS] [TARGET...]  replay, then fuzz each for SECONDS (default 60),
#                                              as many at once as there are cores
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
if ! cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1; then
  grep -m20 -E 'error|undefined reference' "$build/build.log" || tail -20 "$build/build.log"
  echo "fuzz targets: the build failed (see $build/build.log)"
  exit 1
fi

mkdir -p "$build/artifacts"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Runs target $1 with the options every run takes (where crashes go, its bounds), then $2...
run_target() {
  local t=$1
  shift
  "$build/$t" -artifact_prefix="$build/artifacts/$t-" -timeout=10 -rss_limit_mb=2048 "$@"
}

failed=()
for t in "${targets[@]}"; do
  corpus="fuzz/corpus/$t"
  if ! run_target "$t" "$corpus"/* >"$build/$t.replay.log" 2>&1; then
    echo "$t: corpus replay FAILED (see $build/$t.replay.log)"
    failed+=("$t")
    continue
  fi
  echo "$t: corpus replay passed ($(ls "$corpus" | wc -l) inputs)"
done

# Fuzzes one target for $seconds; its verdict goes to $build/<target>.verdict.
fuzz_one() {
  local t=$1 found="$build/found/$1"
  mkdir -p "$found"
  if run_target "$t" -max_total_time="$seconds" -print_final_stats=1 "$found" \
       "fuzz/corpus/$t" >"$build/$t.run.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$t.run.log")
    echo "$t: fuzzed ${seconds} s, ${runs:-?} inputs, no crash" >"$build/$t.verdict"
  else
    { echo "$t: CRASH while fuzzing (see $build/$t.run.log and $build/artifacts/)"
      grep -m3 -E 'ERROR|check failed|runtime error' "$build/$t.run.log" || true
    } >"$build/$t.verdict"
  fi
}

# Each fuzzer runs on one core: as many at once as there are cores. A target passed when
# its verdict says so; a verdict missing (the fuzzer killed) is a failure too.
if [ "$mode" = run ]; then
  cores=$(nproc)
  fuzzed=()
  for t in "${targets[@]}"; do
    [[ " ${failed[*]} " == *" $t "* ]] && continue
    rm -f "$build/$t.verdict"
    while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do wait -n || true; done
    fuzz_one "$t" &
    fuzzed+=("$t")
  done
  wait || true
  for t in "${fuzzed[@]}"; do
    if [ -f "$build/$t.verdict" ]; then cat "$build/$t.verdict"; else echo "$t: the fuzzer gave no verdict"; fi
    grep -q "^$t: fuzzed" "$build/$t.verdict" 2>/dev/null || failed+=("$t")
  done
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failing: ${failed[*]}"
  exit 1
fi
