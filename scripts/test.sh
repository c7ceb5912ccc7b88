#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite with Qt's offscreen
# platform. --sanitize=address|undefined|thread runs it in a sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh "$@"

sanitize=""
for a in "$@"; do [[ "$a" == --sanitize=* ]] && sanitize="${a#--sanitize=}"; done
dir=build${sanitize:+-$sanitize}

export QT_QPA_PLATFORM=offscreen
if [[ "$sanitize" == thread ]]; then
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
fi
status=0
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -LE kernel || status=$?
# The kernel test boots a virtual machine that takes both cores for a few minutes, so
# it runs on its own; a sanitizer build leaves it out (the guest would run for hours).
if [[ -z "$sanitize" ]]; then
  ctest --test-dir "$dir" --output-on-failure -L kernel || status=$?
fi
exit "$status"
