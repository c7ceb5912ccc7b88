#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR with the prefix /usr, as the Debian package
# does: exactly the program, its menu entry, its icons at the sizes their folders name,
# its AppStream metainfo and the camera button's udev rule; the menu entry and the
# metainfo pass their validators and point at what was installed.
# Usage: install_test.sh <build folder> [cmake]
set -euo pipefail
build=$1
cmake=${2:-cmake}
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" "$cmake" --install "$build" --prefix /usr >/dev/null
echo "installed:"
(cd "$dest" && find . -type f -o -type l | sed 's|^\.||' | sort | sed 's/^/  /')

failed=0
fail() { echo "FAILED: $*"; failed=1; }

id=com.tavio.vistrel
expected=(/usr/bin/vistrel /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml
  /usr/lib/udev/rules.d/70-vistrel-camera-button.rules)
sizes=(16 22 32 48 64 128 256)
for s in "${sizes[@]}"; do expected+=("/usr/share/icons/hicolor/${s}x${s}/apps/$id.png"); done
actual=$(cd "$dest" && find . -type f -o -type l | sed 's|^\.||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ "$actual" == "$wanted" ]] || fail "installed files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$actual") || true)"

[[ -x "$dest/usr/bin/vistrel" ]] || fail "the program is not executable"

# Each icon is a PNG of the size its folder names (IHDR width and height, big-endian).
for s in "${sizes[@]}"; do
  png="$dest/usr/share/icons/hicolor/${s}x${s}/apps/$id.png"
  [[ -f "$png" ]] || continue
  [[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] || fail "$png is not a PNG"
  read -r w h < <(od -An -j16 -N8 -tu1 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [[ "$w" == "$s" && "$h" == "$s" ]] || fail "$png is ${w}x${h}, not ${s}x${s}"
done

desktop="$dest/usr/share/applications/$id.desktop"
metainfo="$dest/usr/share/metainfo/$id.metainfo.xml"
if [[ -f "$desktop" ]]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  entry() { sed -n "s/^$1=//p" "$desktop" | head -1; }
  [[ "$(entry Exec)" == vistrel ]] || fail "Exec is '$(entry Exec)', not the installed program's name"
  [[ "$(entry Icon)" == "$id" ]] || fail "Icon is '$(entry Icon)', not the installed icon's name"
  [[ "$(entry Categories)" == "AudioVideo;Video;Recorder;" ]] || fail "Categories is '$(entry Categories)'"
  [[ -n "$(entry Name)" && -n "$(entry GenericName)" ]] || fail "no Name or GenericName"
fi
if [[ -f "$metainfo" ]]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch $id.desktop"
  grep -q "<binary>vistrel</binary>" "$metainfo" || fail "the metainfo does not name the program"
fi

# The rule tags only event devices whose USB parent is a video-class interface.
rule="$dest/usr/lib/udev/rules.d/70-vistrel-camera-button.rules"
if [[ -f "$rule" ]]; then
  line=$(grep -v '^[[:space:]]*\(#\|$\)' "$rule")
  for match in 'SUBSYSTEM=="input"' 'KERNEL=="event\*"' 'SUBSYSTEMS=="usb"' 'ATTRS{bInterfaceClass}=="0e"' 'TAG+="uaccess"'; do
    grep -q "$match" <<<"$line" || fail "the udev rule lacks $match"
  done
  [[ $(wc -l <<<"$line") -eq 1 ]] || fail "the udev rule has more than one rule line"
fi

[[ $failed -eq 0 ]] && echo "ok: the installed files are complete and valid"
exit $failed
