#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target (default 30; 0 for no limit)] [target...]
# FUZZ_RUNS=<n> ends each target after n inputs instead (or first); FUZZ_MAX_LEN=<bytes>
# caps the inputs' length (libFuzzer's default grows to 4096).
# Targets: profile ui_text frame_converter baseline_jpeg v4l2_enumeration flash_params
# (default: all). Each starts from its checked-in corpus (tests/fuzz/corpus/<target>,
# left unchanged); new inputs go to build-fuzz/corpus/<target>, findings to
# build-fuzz/findings/<target>. Exits non-zero when a target finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang with its libFuzzer and sanitizer runtimes, beside what the build needs.
scripts/install-deps.sh clang libclang-rt-14-dev

seconds=${1:-30}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(profile ui_text frame_converter baseline_jpeg v4l2_enumeration flash_params)

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVISTREL_SANITIZE=fuzzer-no-link,address,undefined -DVISTREL_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# Allocation stacks are not recorded and freed memory is reused sooner: the targets
# allocate on every input, and this runs them about a third faster. Run a finding's
# input again with the target (build-fuzz/tests/fuzz/fuzz_<target> <file>) and
# ASAN_OPTIONS=detect_leaks=1 for a report with allocation stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=0:quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Targets run side by side, one per processor; each writes its own log.
run_target() {  # <target>
  local t=$1 corpus=build-fuzz/corpus/$1 findings=build-fuzz/findings/$1
  mkdir -p "$corpus" "$findings"
  local limits=(-max_total_time="$seconds")
  [[ -n "${FUZZ_RUNS:-}" ]] && limits+=(-runs="$FUZZ_RUNS")
  [[ -n "${FUZZ_MAX_LEN:-}" ]] && limits+=(-max_len="$FUZZ_MAX_LEN")
  build-fuzz/tests/fuzz/fuzz_"$t" "${limits[@]}" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$t" >"build-fuzz/fuzz-$t.log" 2>&1
}
declare -A pids=()
for t in "${targets[@]}"; do
  while (( $(jobs -rp | wc -l) >= $(nproc) )); do wait -n || true; done
  echo "== $t: ${seconds} s${FUZZ_RUNS:+ or $FUZZ_RUNS runs}"
  run_target "$t" &
  pids[$t]=$!
done
status=0
for t in "${targets[@]}"; do
  rc=0
  wait "${pids[$t]}" || rc=$?
  echo "== $t"
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' "build-fuzz/fuzz-$t.log" || true
  if [[ $rc -ne 0 ]]; then
    echo "$t: FOUND A FAULT, see build-fuzz/fuzz-$t.log and build-fuzz/findings/$t" >&2
    status=1
  fi
done
exit $status
