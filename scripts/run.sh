#!/usr/bin/env bash
# Installs what is missing, builds and starts vistrel. Without an attached USB camera
# it runs on the virtual camera. Arguments are passed to the program (-SERVICEMODE=1).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh --target vistrel

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "vistrel: no screen (DISPLAY is not set); to run it without one: xvfb-run -a -s '-screen 0 1366x768x24' scripts/run.sh" >&2
  exit 1
fi

# A UVC camera is a video4linux node whose driver is uvcvideo.
has_camera=no
for node in /sys/class/video4linux/video*; do
  [[ -e "$node/device/driver" ]] || continue
  [[ "$(basename "$(readlink -f "$node/device/driver")")" == uvcvideo ]] && has_camera=yes
done
if [[ "$has_camera" == no && -z "${VISTREL_CAMERA:-}" ]]; then
  export VISTREL_CAMERA=virtual
  export VISTREL_VIRTUAL_CTL="${VISTREL_VIRTUAL_CTL:-${XDG_RUNTIME_DIR:-/tmp}/vistrel-virtual-$(id -u).ctl}"
  echo "vistrel: no USB camera attached, using the virtual camera (write button, unplug or plug to $VISTREL_VIRTUAL_CTL)"
fi

exec build/vistrel "$@"
