#!/usr/bin/env bash
# Endurance run of the program on the virtual camera under Xvfb, the way a bench uses it
# for hours: service mode (both overlays) at 1920x1080 MJPEG with zoom 2.0, a snapshot
# every 5 s through the camera's button, a recording that always runs (restarted every
# minute), and the camera unplugged and plugged back every 20 s. The program is driven
# through its menus and toolbar with xdotool, as a user would.
#
# Every 5 s it samples the program's memory (RSS), threads and open descriptors. At the
# end it checks: every recording decodes to its end with about 24 pictures a second of
# its length, every snapshot decodes, Setting.ini and the language file are as they were
# after the start, the peak of memory grew by less than 5 MB after the first minute,
# threads and descriptors did not grow, and SIGTERM ends the program with status 0.
#
# Usage: scripts/soak.sh [seconds (default 120)] [report folder (default: a temporary one)]
# The program is taken from build/ (or $VISTREL_BUILD_DIR). Exit 0 when every check passed.
set -euo pipefail
[[ -n "${SOAK_TRACE:-}" ]] && set -x
cd "$(dirname "$0")/.."

seconds=${1:-120}
report=${2:-}
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s '-screen 0 1920x1200x24' "$0" "$seconds" "$report"
fi
for tool in xdotool ffprobe ffmpeg; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

program=$(realpath "${VISTREL_BUILD_DIR:-build}/vistrel")
home=$(mktemp -d)
[[ -n "$report" ]] || report="$home/report"
mkdir -p "$report"
rm -f "$report/files.txt"
pid=""
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_PICTURES_DIR
export XDG_RUNTIME_DIR="$home/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export VISTREL_CAMERA=virtual VISTREL_VIRTUAL_CTL="$home/camera-ctl"
export QT_QPA_PLATFORM=xcb

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
log() { echo "[$(printf '%4d' $((SECONDS - start)))s] $*"; }

start=$SECONDS
"$program" -SERVICEMODE=1 >"$report/program.log" 2>&1 &
pid=$!

# The main window: the program's largest visible window (menus and tips come and go).
find_window() {
  local id best="" area=0 w h
  for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')" || continue
    if (( WIDTH * HEIGHT > area )); then
      area=$((WIDTH * HEIGHT))
      best=$id
    fi
  done
  window=$best
  [[ -n "$window" ]]
}
for _ in $(seq 1 100); do
  find_window && break
  sleep 0.1
done
[[ -n "$window" ]] || { fail "the program showed no window"; exit 1; }

# Places in the window, from its top-left corner: the first menu (File, whatever the
# language, where the others' places vary), and the toolbar's Record, Zoom in and Reset
# zoom buttons.
fileMenu=(20 9)
recordButton=(81 37)
zoomInButton=(118 37)
rezoomButton=(180 37)
alive() { kill -0 "$pid" 2>/dev/null; }
click() {
  alive || return 0
  xdotool mousemove --window "$window" "$1" "$2" click 1 || fail "a click at $1,$2 missed the window"
  sleep 0.3
}

# Menus are windows of their own. Return reaches the main window when no menu is open,
# and there it ends the program, so keys are sent only into an open menu.
visible_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
open_file_menu() {
  local tries
  for tries in 1 2 3; do
    # A click on the picture closes a menu left open.
    (( $(visible_windows) > 1 )) && click 300 300
    click "${fileMenu[@]}"
    (( $(visible_windows) > 1 )) && return 0
  done
  fail "the File menu did not open"
  return 1
}
# File, then right to Setting, Resolution, MJPG, the third size (1920 X 1080). A key
# that reaches a submenu before it has opened is lost, so the keys go slowly, and the
# window's size tells whether the choice was taken (at 1920x1080 it fills the screen).
full_hd() {
  local tries
  for tries in 1 2 3; do
    open_file_menu || return 0
    xdotool key --delay 400 Right Right Down Right Down Down Return
    sleep 2
    find_window || return 0
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^WIDTH=')"
    (( WIDTH >= 1280 )) && return 0
    log "try $tries: the window is $WIDTH wide"
  done
  fail "1920x1080 could not be chosen from the menu"
}
zoom_two() {
  click "${rezoomButton[@]}"
  for _ in $(seq 1 10); do
    xdotool mousemove --window "$window" "${zoomInButton[@]}" click 1 || fail "zoom in missed the window"
    sleep 0.1
  done
}
camera() { echo "$1" >"$VISTREL_VIRTUAL_CTL"; }

recording=0
recordStarted=0
since() { awk -v now="$(date +%s.%N)" -v then="$1" 'BEGIN { printf "%.2f", now - then }'; }
starts=()   # when every recording was started (seconds since the epoch)
lengths=()  # and its length, as the clicks measured it
toggle_record() {
  click "${recordButton[@]}"
  if [[ $recording == 0 ]]; then
    recording=1
    recordStarted=$(date +%s.%N)
    starts+=("$recordStarted")
  else
    recording=0
    lengths+=("$(since "$recordStarted")")
  fi
}
# The camera's departure ends a recording; its length ends there.
recording_ended_by_unplug() {
  if [[ $recording == 1 ]]; then
    recording=0
    lengths+=("$(since "$recordStarted")")
  fi
}
set_up() {
  sleep 2
  find_window || fail "the main window went away"
  full_hd
  zoom_two
  toggle_record
}

samples="$report/samples.txt"
echo "seconds rss_kB threads fds" >"$samples"
sample() {
  local rss threads fds
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  threads=$(ls "/proc/$pid/task" | wc -l)
  fds=$(ls "/proc/$pid/fd" | wc -l)
  echo "$1 $rss $threads $fds" >>"$samples"
}

sleep 2
data="$home/.local/share/Tavio"
settingsAtStart=$(sha256sum "$data/Setting.ini" "$data"/Language/*.lng)
set_up
log "live at 1920x1080 MJPEG, zoom 2.0, recording"
# What the window shows, for the report, when ImageMagick is there to take it.
if command -v import >/dev/null; then import -window "$window" "$report/window.png" 2>/dev/null || true; fi

presses=0
plugs=0
t0=$SECONDS
next_press=5 next_plug=20 next_restart=60 next_sample=0
while (( SECONDS - t0 < seconds )); do
  t=$((SECONDS - t0))
  alive || break
  if (( t >= next_sample )); then
    sample "$t"
    next_sample=$((next_sample + 5))
  fi
  if (( t >= next_press )); then
    camera button
    presses=$((presses + 1))
    next_press=$((next_press + 5))
  fi
  if (( t >= next_restart )); then
    if [[ $recording == 1 ]]; then
      toggle_record
      sleep 1
      toggle_record
      log "recording restarted"
    fi
    next_restart=$((next_restart + 60))
  fi
  if (( t >= next_plug )); then
    camera unplug
    recording_ended_by_unplug
    sleep 2
    camera plug
    plugs=$((plugs + 1))
    set_up
    log "unplug and plug $plugs, set up again"
    next_plug=$((next_plug + 20))
    # A set-up slowed by a loaded machine still leaves the recording some seconds.
    (( next_plug < SECONDS - t0 + 8 )) && next_plug=$((SECONDS - t0 + 8))
  fi
  sleep 0.5
done
[[ $recording == 1 ]] && toggle_record
sleep 2
sample "$((SECONDS - t0))"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[[ $status == 0 ]] || fail "the program ended with status $status after SIGTERM"

# The files the program made.
pictures="$home/Pictures"
mapfile -t recordings < <(ls "$pictures"/*.mpeg 2>/dev/null | sort)
mapfile -t snapshots < <(ls "$pictures"/*.jpg 2>/dev/null | sort)
log "${#recordings[@]} recordings (${#lengths[@]} started), ${#snapshots[@]} snapshots ($presses presses, $plugs replugs)"
# Each file is matched to its start by the time in its name ("YYYYMMDD-HHMMSS-mmm",
# milliseconds padded with spaces).
used=()
for file in "${recordings[@]}"; do
  name=$(basename "$file" .mpeg)
  ms=${name:16:3}
  at=$(date -d "${name:0:8} ${name:9:2}:${name:11:2}:${name:13:2}" +%s).$(printf '%03d' "$((10#${ms// /0}))")
  match=""
  for j in "${!starts[@]}"; do
    if [[ -z "${used[$j]:-}" ]] && awk -v a="$at" -v b="${starts[$j]}" 'BEGIN { d = a - b; exit !(d > -1.5 && d < 1.5) }'; then
      match=$j
      break
    fi
  done
  if [[ -z "$match" ]]; then
    fail "$(basename "$file"): no recording was started then"
    continue
  fi
  used[$match]=1
  length=${lengths[$match]:-0}
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$file" || echo 0)
  errors=$(ffmpeg -v error -i "$file" -f null - 2>&1 | wc -l)
  # The clicks that start and stop a recording take their own time: a second either way,
  # and a tenth of the length.
  if ! awk -v n="$frames" -v s="$length" 'BEGIN { e = 24 * s; exit !(n >= e - 24 - e / 10 && n <= e + 24 + e / 10) }'; then
    fail "$(basename "$file"): $frames pictures for ${length}s"
  fi
  [[ $errors == 0 ]] || fail "$(basename "$file"): the decoder reported $errors errors"
  echo "recording $(basename "$file"): ${length}s, $frames pictures" >>"$report/files.txt"
done
# A recording without a file is right only when the camera left before its first frame.
for j in "${!starts[@]}"; do
  [[ -n "${used[$j]:-}" ]] && continue
  if awk -v s="${lengths[$j]:-0}" 'BEGIN { exit !(s < 1) }'; then
    echo "recording started at ${starts[$j]}: ended after ${lengths[$j]}s by an unplug, before any frame; no file" >>"$report/files.txt"
  else
    fail "the recording started at ${starts[$j]} (${lengths[$j]}s) left no file"
  fi
done
for file in "${snapshots[@]}"; do
  ffmpeg -v error -i "$file" -f null - >/dev/null 2>&1 || fail "$(basename "$file") does not decode"
done
# The first press after each arrival arms the trigger; every other press is a snapshot.
(( ${#snapshots[@]} >= presses - 2 * (plugs + 1) )) || fail "only ${#snapshots[@]} snapshots for $presses presses"
[[ "$(sha256sum "$data/Setting.ini" "$data"/Language/*.lng)" == "$settingsAtStart" ]] ||
  fail "Setting.ini or the language file changed"

# Memory, threads and descriptors after the first minute (or the first third of a
# shorter run). The allocator keeps freed frame buffers for a while, so RSS swings by
# tens of megabytes between samples; a leak shows as a rising peak, so the peak of the
# last third is held against the peak of the first.
awk -v from="$(( seconds >= 180 ? 60 : seconds / 3 ))" -v total="$seconds" '
  NR == 1 || $1 < from { next }
  !base { base = 1; threads0 = $3; fds0 = $4 }
  {
    third = (total - from) / 3
    if ($1 < from + third && $2 > early) early = $2
    if ($1 >= total - third && $2 > late) late = $2
    if ($3 > maxThreads) maxThreads = $3; if ($4 > maxFds) maxFds = $4; threads = $3; fds = $4
  }
  END {
    printf "rss peak %d kB in the first third after %ds, %d kB in the last (growth %d kB); threads %d -> %d (max %d); fds %d -> %d (max %d)\n",
           early, from, late, late - early, threads0, threads, maxThreads, fds0, fds, maxFds
    exit !(late - early < 5120 && threads <= threads0 && fds <= fds0)
  }' "$samples" | tee "$report/summary.txt" || fail "memory, threads or descriptors grew"

if [[ $failures == 0 ]]; then
  log "soak passed"
else
  log "soak failed: $failures checks"
  exit 1
fi
