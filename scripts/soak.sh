#!/usr/bin/env bash
# Runs vistrel on the virtual camera under Xvfb for a while and reports its memory and
# thread count over time, a screenshot (when xwd and ImageMagick are present), and how
# it ended after SIGTERM. Usage: scripts/soak.sh [seconds] [screenshot.png] [program args]
# (the program from build/, or from $VISTREL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shot=${2:-}
shift $(( $# > 2 ? 2 : $# ))

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s '-screen 0 1366x768x24' "$0" "$seconds" "$shot" "$@"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home"
export VISTREL_CAMERA=virtual

"${VISTREL_BUILD_DIR:-build}/vistrel" "$@" &
pid=$!
sample() {
  local rss threads
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  threads=$(ls "/proc/$pid/task" | wc -l)
  echo "t=${1}s rss=${rss}kB threads=${threads}"
}
sleep 2
sample 2
for ((t = 4; t <= seconds; t += 2)); do
  sleep 2
  sample "$t"
done
if [[ -n "$shot" ]] && command -v xwd >/dev/null && command -v convert >/dev/null; then
  xwd -root -silent | convert xwd:- "$shot"
  echo "screenshot: $shot"
fi
kill -TERM "$pid"
started=$(date +%s%N)
status=0
wait "$pid" || status=$?
echo "exit status after SIGTERM: $status, in $(( ($(date +%s%N) - started) / 1000000 )) ms"
