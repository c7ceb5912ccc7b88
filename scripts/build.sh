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

dir=build${sanitize:+-$sanitize}
cmake -S . -B "$dir" -DVISTREL_SANITIZE="$sanitize" -DVISTREL_BENCH="$bench" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
