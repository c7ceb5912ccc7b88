#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with Qt's offscreen platform:
#   1. the suite, then the kernel test (a virtual machine with a camera on the kernel's
#      UVC driver);
#   2. the suite again with AddressSanitizer, UndefinedBehaviorSanitizer and
#      LeakSanitizer (build-address-undefined/);
#   3. the tests whose code runs threads with ThreadSanitizer (build-thread/);
#   4. every fuzz target for 30 s (scripts/fuzz.sh, clang's libFuzzer, build-fuzz/);
#   5. a 2-minute endurance run of the program (scripts/soak.sh).
# --quick runs only the first; --sanitize=<list> runs only the suite in that sanitizer
# build (e.g. --sanitize=address,undefined or --sanitize=thread).
set -euo pipefail
cd "$(dirname "$0")/.."

quick=""
only=""
for a in "$@"; do
  case "$a" in
    --quick) quick=1 ;;
    --sanitize=*) only="${a#--sanitize=}" ;;
    *) echo "usage: $0 [--quick | --sanitize=<list>]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# Sanitizer reports end the test that caused them.
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=0 strict_string_checks=1 detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"

status=0
step() {
  local name=$1
  shift
  local start=$SECONDS
  echo "=== $name"
  "$@" || status=1
  echo "=== $name: $((SECONDS - start)) s"
}

# The test programs of code that runs threads, for the thread sanitizer.
threaded_targets=(tests_platform_graph tests_platform_graph_v4l2 tests_platform_virtualcam tests_view
                  tests_capture tests_media tests_mainwnd)

suite() {  # <sanitizers or empty>
  local sanitize=$1
  local dir=build${sanitize:+-${sanitize//,/-}}
  if [[ "$sanitize" == thread ]]; then
    scripts/build.sh --sanitize=thread --target "${threaded_targets[@]}" || return 1
    # Each test is labelled with its folder's name, which is its program's name.
    local labels
    labels=$(IFS='|'; echo "${threaded_targets[*]#tests_}")
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -L "^($labels)\$"
  else
    scripts/build.sh ${sanitize:+--sanitize="$sanitize"} || return 1
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -LE kernel
  fi
}

if [[ -n "$only" ]]; then
  step "tests with $only" suite "$only"
  exit "$status"
fi

step "tests" suite ""
# The kernel test boots a virtual machine that takes the processor for a minute or two,
# so it runs on its own.
step "kernel test" ctest --test-dir build --output-on-failure -L kernel
if [[ -z "$quick" ]]; then
  step "tests with address and undefined-behaviour sanitizers" suite address,undefined
  step "threaded tests with the thread sanitizer" suite thread
  step "fuzz targets, 30 s each" scripts/fuzz.sh 30
  step "endurance run, 2 minutes" scripts/soak.sh 120
fi
exit "$status"
