#!/usr/bin/env bash
# Configures and builds into build/ (or build-<sanitizer>/ with --sanitize=<name>).
# Extra arguments after the options are passed to cmake --build (e.g. --target vistrel).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
bench=OFF
while [[ $# -gt 0 ]]; do
  case "$1" in
    --sanitize=*) sanitize="${1#--sanitize=}"; shift ;;
    --bench) bench=ON; shift ;;
    *) break ;;
  esac
done

dir=build${sanitize:+-${sanitize//,/-}}
# A compiler cache, when the machine has one, makes rebuilds of unchanged files free.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$dir" -DVISTREL_SANITIZE="$sanitize" -DVISTREL_BENCH="$bench" "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
