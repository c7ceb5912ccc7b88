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
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
