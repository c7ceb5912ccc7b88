#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` builds it; its control file names the runtime
# libraries the program links; it holds exactly the installed files; installed with
# dpkg into a root of its own (a private dpkg database, dependencies taken from the
# machine), its program runs on a fresh account and ends with status 0 on SIGTERM.
# Nothing is installed into the machine itself.
# Usage: deb_test.sh <build folder> [cpack]
set -euo pipefail
build=$(cd "$1" && pwd)
cpack=${2:-cpack}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAILED: $*"; failed=1; }

(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAILED: cpack -G DEB"; exit 1; }
debs=("$work"/out/vistrel_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || { echo "FAILED: no single vistrel_*.deb in $(ls "$work/out")"; exit 1; }
deb=${debs[0]}
echo "built: $(basename "$deb")"

dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == vistrel ]] || fail "the package is '$(field Package)'"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] || fail "the architecture is '$(field Architecture)'"
depends=$(field Depends)
names=$(sed 's/ ([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
# The libraries the program links, each by its Debian package (the number is the
# library's ABI in the package name).
for lib in 'libc6' 'libstdc\+\+6' 'libqt6core6' 'libqt6gui6' 'libqt6widgets6' 'libturbojpeg0' 'libudev1' \
  'libavcodec[0-9]+' 'libavformat[0-9]+' 'libavutil[0-9]+' 'libswscale[0-9]+'; do
  grep -Eqx "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done
# Nothing a build needs: no -dev package.
grep -Eq -- '-dev$' <<<"$names" && fail "Depends names a -dev package: $depends"

echo "contents:"
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort)
sed 's/^/  /' <<<"$listing"
id=com.tavio.vistrel
expected=(/usr/bin/vistrel /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml
  /usr/lib/udev/rules.d/70-vistrel-camera-button.rules)
for s in 16 22 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${s}x${s}/apps/$id.png"); done
[[ "$listing" == "$(printf '%s\n' "${expected[@]}" | sort)" ]] || fail "the package holds other files than the installation"

# dpkg -i into a root of its own: its database starts empty, so the dependencies (which
# this machine has, the program was built here) are not checked there.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --force-bad-path -i "$deb" || fail "dpkg -i"
dpkg --root="$root" -s vistrel | grep -q '^Status: install ok installed' || fail "dpkg does not list vistrel as installed"
if [[ -x "$root/usr/bin/vistrel" ]]; then
  "$here/fresh_account_test.sh" "$root/usr/bin/vistrel" || fail "the installed program on a fresh account"
else
  fail "no /usr/bin/vistrel after dpkg -i"
fi

[[ $failed -eq 0 ]] && echo "ok: the package builds, depends on its runtime libraries and installs a working program"
exit $failed
