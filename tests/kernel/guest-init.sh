#!/bin/busybox sh
# First process of the test guest: mounts the shared folders of the host into a fresh
# root, runs the checks there and powers the machine off.
/bin/busybox --install -s /bin
export PATH=/bin
mkdir -p /proc /sys /dev /newroot
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for ko in /modules/*.ko; do
  insmod "$ko" || echo "insmod $ko failed"
done

for word in $(cat /proc/cmdline); do
  case "$word" in
    vistrel.src=*) SRC=${word#*=} ;;
    vistrel.build=*) BUILD=${word#*=} ;;
  esac
done

share() {  # share <tag> <folder>
  mkdir -p "/newroot$2"
  mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose "$1" "/newroot$2" || echo "cannot mount $1 at $2"
}
mount -t tmpfs -o mode=0755 rootfs /newroot
cd /newroot
mkdir -p proc sys dev run tmp var/tmp root
ln -s usr/bin bin
ln -s usr/sbin sbin
ln -s usr/lib lib
ln -s usr/lib64 lib64
ln -s /run var/run
# The temporary folders first: a source or build folder under /tmp is shared on top.
mount -t tmpfs -o mode=1777 tmp /newroot/tmp
mount -t tmpfs -o mode=1777 vartmp /newroot/var/tmp
share usr /usr
share etc /etc
share src "$SRC"
case "$BUILD/" in
  "$SRC"/*) ;;
  *) share build "$BUILD" ;;
esac
mount -t proc proc /newroot/proc
mount -t sysfs sysfs /newroot/sys
mount -t devtmpfs devtmpfs /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
mount -t tmpfs -o mode=1777 shm /newroot/dev/shm
mount -t tmpfs -o mode=0755 run /newroot/run
chmod 0700 /newroot/root

chroot /newroot /usr/bin/bash "$SRC/tests/kernel/guest-checks.sh" "$SRC" "$BUILD"
echo "guest checks ended with status $?"
sync
echo 1 >/proc/sys/kernel/sysrq
echo o >/proc/sysrq-trigger
sleep 30
