#!/usr/bin/env bash
# Takes the README's screenshots from the built program under Xvfb, on the virtual
# camera, in a fresh account whose language is English:
#   <folder>/main-window.png     the main window with the live picture
#   <folder>/service-mode.png    the service mode, its Settings menu open
#   <folder>/service-windows.png the service windows: pan and zoom, camera properties
# Usage: scripts/screenshots.sh [folder]   (default docs/; the program from build/, or
# from $VISTREL_BUILD_DIR). Installs xdotool and ImageMagick when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs}
if [[ -z "${DISPLAY:-}" ]]; then
  scripts/install-deps.sh xdotool imagemagick
  exec xvfb-run -a -s '-screen 0 1280x800x24' "$0" "$out"
fi
mkdir -p "$out"
program=$(realpath "${VISTREL_BUILD_DIR:-build}/vistrel")

home=$(mktemp -d)
pid=""
trap '[[ -n "$pid" ]] && kill -TERM "$pid" 2>/dev/null; rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/run"
export VISTREL_CAMERA=virtual XDG_PICTURES_DIR="$home/Pictures"
unset VISTREL_VIRTUAL_CTL
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/Tavio"
printf '[LANGUAGESET]\r\nLANGUAGE=English\r\nINDEX=1\r\n' >"$XDG_DATA_HOME/Tavio/Setting.ini"

# Starts the program, waits for its window to map, lets the picture run for a moment
# (a screenshot wants a few frames of the moving test picture, nothing waits on it),
# and stores the window's picture. Extra commands run before the shot.
shoot() {
  local file=$1 before=$2
  shift 2
  "$program" "$@" &
  pid=$!
  local wid
  wid=$(xdotool search --sync --onlyvisible --classname vistrel | head -1)
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  sleep 2
  [[ -n "$before" ]] && eval "$before"
  local crop
  crop=$(xdotool getwindowgeometry --shell "$wid" | awk -F= '
    /^WIDTH/ {w=$2} /^HEIGHT/ {h=$2} /^X/ {x=$2} /^Y/ {y=$2} END {printf "%dx%d+%d+%d", w, h, x, y}')
  # The service windows stand beside the main window: the whole screen is taken.
  [[ -n "${whole_screen:-}" ]] && crop=$(xdotool getdisplaygeometry | awk '{printf "%dx%d+0+0", $1, $2}')
  import -window root -crop "$crop" +repage "$out/$file"
  kill -TERM "$pid"
  wait "$pid" || true
  pid=""
  echo "$out/$file"
}

shoot main-window.png ""
# The Settings menu is the second of the menu bar; a click on it opens it.
shoot service-mode.png 'xdotool mousemove --window "$wid" 75 12 click 1; sleep 1' -SERVICEMODE=1
# Settings, Pan and Zoom; then Settings, Camera Properties (modal: the shot is taken
# while it is open, and the program's end closes it).
whole_screen=1 shoot service-windows.png 'xdotool mousemove --window "$wid" 75 12 click 1; sleep 0.5
  xdotool key --delay 150 Down Down Down Down Return; sleep 1
  xdotool mousemove --window "$wid" 75 12 click 1; sleep 0.5
  xdotool key --delay 150 Down Down Down Return; sleep 1.5' -SERVICEMODE=1
