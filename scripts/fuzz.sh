#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target (default 30)] [target...]
# Targets: profile ui_text frame_converter v4l2_enumeration flash_params (default: all). Each starts
# from its checked-in corpus (tests/fuzz/corpus/<target>, left unchanged); new inputs
# go to build-fuzz/corpus/<target>, findings to build-fuzz/findings/<target>. Exits
# non-zero when a target finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang with its libFuzzer and sanitizer runtimes, beside what the build needs.
scripts/install-deps.sh clang libclang-rt-14-dev

seconds=${1:-30}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(profile ui_text frame_converter v4l2_enumeration flash_params)

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVISTREL_SANITIZE=fuzzer-no-link,address,undefined -DVISTREL_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  echo "== $t: ${seconds} s"
  rc=0
  build-fuzz/tests/fuzz/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$t" >"build-fuzz/fuzz-$t.log" 2>&1 || rc=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' "build-fuzz/fuzz-$t.log" || true
  if [[ $rc -ne 0 ]]; then
    echo "$t: FOUND A FAULT, see build-fuzz/fuzz-$t.log and $findings" >&2
    status=1
  fi
done
exit $status
