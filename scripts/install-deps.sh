#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need, when missing,
# and the packages named as arguments (what other scripts need besides).
# apt-get runs as root directly, otherwise through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libturbojpeg0-dev libudev-dev linux-libc-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # The MJPEG tests make frames with restart markers through libjpeg's interface.
  libjpeg62-turbo-dev
  xvfb xauth fonts-wqy-microhei
  # The installation test: the validators of the menu entry and of the metainfo.
  desktop-file-utils appstream
  # The Debian package: cpack finds the program's library dependencies with `file` and
  # dpkg-shlibdeps.
  dpkg-dev file
  # The endurance run: the program driven with xdotool, its files checked with FFmpeg.
  xdotool ffmpeg
  # The kernel test: Debian's own kernel in qemu with an emulated USB camera.
  qemu-system-x86 linux-image-amd64 busybox-static udev kmod cpio
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  apt=(apt-get)
else
  apt=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -q
"${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
