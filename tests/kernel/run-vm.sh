#!/usr/bin/env bash
# Boots the Debian kernel installed on this machine in qemu (software emulation, no
# KVM needed) and runs guest-checks.sh inside it: a USB camera of our own on the
# kernel's dummy USB controller, seen by the kernel's UVC driver, driven by our code.
#
# The guest's root is a tmpfs; /usr and /etc of this machine and the source and build
# folders are shared into it read-only over virtio-9p, so the built programs run there
# with the libraries they were built against. Only busybox and the modules needed to
# mount those shares go into the initramfs, which is made here at every run.
#
# Usage: run-vm.sh <source dir> <build dir>
# Exit: 0 every check passed, 1 a check failed or the guest did not finish, 77 this
# machine cannot run the guest (the reason is printed).
set -euo pipefail

src=$(realpath "$1")
build=$(realpath "$2")
limit=${VISTREL_VM_TIMEOUT:-900}

skip() {
  echo "SKIP: $*"
  exit 77
}

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is missing (scripts/install-deps.sh installs it)"
command -v cpio >/dev/null || skip "cpio is missing (scripts/install-deps.sh installs it)"
busybox=/bin/busybox
[[ -x $busybox ]] && ! ldd "$busybox" >/dev/null 2>&1 || skip "a static busybox is missing (package busybox-static)"

# The newest installed kernel that has the dummy USB controller as a module.
kernel=""
for k in $(ls /boot/vmlinuz-* 2>/dev/null | sort -V); do
  v=${k#/boot/vmlinuz-}
  [[ -e /lib/modules/$v/kernel/drivers/usb/gadget/udc/dummy_hcd.ko ]] && kernel=$k version=$v
done
[[ -n $kernel ]] || skip "no kernel with dummy_hcd in /boot (package linux-image-amd64)"
[[ -r $kernel ]] || skip "$kernel is not readable by $(id -un)"

work=$(mktemp -d "${TMPDIR:-/tmp}/vistrel-vm-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The initramfs: busybox, the modules for virtio-9p in load order, and init.
root=$work/initramfs
mkdir -p "$root/bin" "$root/modules"
cp "$busybox" "$root/bin/busybox"
n=0
for m in virtio_pci 9pnet_virtio 9p; do
  modprobe -S "$version" --show-depends "$m"
done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r ko; do
  n=$((n + 1))
  cp "$ko" "$root/modules/$(printf %02d $n)-$(basename "$ko")"
done
cp "$src/tests/kernel/guest-init.sh" "$root/init"
chmod 755 "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) | gzip -1 >"$work/initramfs.gz"

shares=(
  -virtfs "local,path=/usr,mount_tag=usr,security_model=none,readonly=on,multidevs=remap"
  -virtfs "local,path=/etc,mount_tag=etc,security_model=none,readonly=on,multidevs=remap"
  -virtfs "local,path=$src,mount_tag=src,security_model=none,readonly=on,multidevs=remap"
)
case "$build/" in
  "$src"/*) ;;
  *) shares+=(-virtfs "local,path=$build,mount_tag=build,security_model=none,readonly=on,multidevs=remap") ;;
esac

# Kept after the run, for a look at everything the guest printed.
console=$build/tests/kernel/kernel-vm-console.log
mkdir -p "$(dirname "$console")"
start=$SECONDS
echo "Booting $kernel in qemu (TCG, 2 CPUs)"
status=0
timeout -k 10 "$limit" qemu-system-x86_64 -machine pc -accel tcg -smp 2 -m 2048 \
  -display none -monitor none -no-reboot -serial "file:$console" \
  -kernel "$kernel" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 panic=-1 loglevel=4 vistrel.src=$src vistrel.build=$build" \
  "${shares[@]}" || status=$?
elapsed=$((SECONDS - start))

# What the guest said between its markers: every check's result, and on failure the
# driver's kernel messages.
sed -n '/^=== vistrel guest begins/,$p' "$console" | tr -d '\r'
echo "Guest ran ${elapsed}s (qemu status $status)"
if ! grep -q '^=== vistrel guest result: pass' "$console"; then
  if ! grep -q '^=== vistrel guest begins' "$console"; then
    echo "--- the guest never started its checks; its console:"
    tail -n 80 "$console"
  fi
  echo "FAILED: kernel checks"
  exit 1
fi
echo "PASSED: kernel checks"
