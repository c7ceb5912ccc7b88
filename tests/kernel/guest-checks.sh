#!/usr/bin/env bash
# Runs inside the test guest (see run-vm.sh): brings up udev, the dummy USB controller
# and the emulated camera, then runs the checks. Prints each check's result and, when
# one fails, the UVC driver's kernel messages; the last line says pass or fail.
src=$1
build=$2
export PATH=/usr/sbin:/usr/bin
export HOME=/root LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen TMPDIR=/tmp
echo "=== vistrel guest begins"
failed=0
note() { echo "--- $*"; }

for m in dummy_hcd gadgetfs evdev uvcvideo; do
  modprobe "$m" || { note "cannot load $m"; failed=1; }
done
/usr/lib/systemd/systemd-udevd --daemon
udevadm trigger --action=add >/dev/null 2>&1
udevadm settle --timeout=60

mkdir -p /dev/gadget /run/vistrel-camera
mount -t gadgetfs gadgetfs /dev/gadget
"$build/tests/kernel/uvc-test-camera" /dev/gadget /run/vistrel-camera 2>/run/vistrel-camera/log &
camera=$!

# The camera is up when the driver has made its video node and udev has seen it.
appeared() {
  for _ in $(seq 300); do
    ls /dev/video* >/dev/null 2>&1 && break
    sleep 0.1
  done
  udevadm settle --timeout=60
  ls /dev/video* >/dev/null 2>&1
}

run() {  # run <name> <command...>: one check
  local name=$1
  shift
  local start=$SECONDS
  if "$@"; then
    echo "CHECK $name: passed ($((SECONDS - start)) s)"
  else
    echo "CHECK $name: FAILED ($((SECONDS - start)) s)"
    failed=1
  fi
}

run camera-appears appeared
[[ $failed == 0 ]] || only_camera=1
export VISTREL_TEST_CAMERA_STATE=/run/vistrel-camera VISTREL_BINARY=$build/vistrel
# The checks (and the program they start) run on the first processor, beside the
# camera's real-time control thread; see uvc_gadget.h.
checks="taskset -c 0 $build/tests/kernel/kernel-guest-checks"
if [[ -z ${only_camera:-} ]]; then
run discovery $checks --gtest_filter='Kernel.Discovery*'
run capabilities $checks --gtest_filter='Kernel.Capabilities*'
run streaming $checks --gtest_filter='Kernel.YuyvAndMjpeg*'
run controls $checks --gtest_filter='Kernel.EveryProperty*'
run still-button $checks --gtest_filter='Kernel.AButtonPress*'
run hot-plug $checks --gtest_filter='Kernel.Unplug*'
run whole-program $checks --gtest_filter='Kernel.TheProgram*'
# The test against a real device, which every other machine skips, must run here.
real_device() {
  local out
  out=$(taskset -c 0 "$build/tests/tests_platform_graph_v4l2" --gtest_filter='V4l2RealDevice.*' 2>&1)
  local status=$?
  echo "$out"
  [[ $status == 0 ]] && ! grep -q '^\[  SKIPPED \]' <<<"$out"
}
run real-device-test real_device
fi

if [[ $failed != 0 ]]; then
  note "the camera's events"
  cat /run/vistrel-camera/events
  note "the camera's log"
  cat /run/vistrel-camera/log
  note "kernel messages of the UVC driver"
  dmesg | grep -iE 'uvc|usb|gadget|dummy|video' | tail -n 120
fi
kill "$camera" 2>/dev/null
echo "=== vistrel guest result: $([[ $failed == 0 ]] && echo pass || echo fail)"
