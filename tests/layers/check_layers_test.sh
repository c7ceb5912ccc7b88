#!/usr/bin/env bash
# The layer check fails on an include pointing up or sideways and on a library that
# does not link what its folder includes, and passes a tree in order.
set -euo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

make_folder() {  # folder, its library, the libraries it links...
  local folder=$1 name=$2
  shift 2
  mkdir -p "$tree/$folder"
  echo "vistrel_folder_library($name${*:+ LIBS $*})" >"$tree/$folder/CMakeLists.txt"
}
make_folder platform/profile vistrel_profile Qt6::Core
make_folder texts vistrel_texts Qt6::Core vistrel_profile
make_folder view vistrel_view
make_folder capture vistrel_capture vistrel_texts vistrel_view
make_folder media vistrel_media vistrel_texts
make_folder mainwnd vistrel_mainwnd vistrel_capture vistrel_media
echo '#include <QString>' >"$tree/platform/profile/profile.h"
echo '#include "platform/profile/profile.h"' >"$tree/texts/ui_text.h"
echo '#include "view_settings.h"' >"$tree/view/view_transform.h"
printf '#include "texts/ui_text.h"\n#include "view/view_transform.h"\n' >"$tree/capture/capture_session.h"
echo '#include "texts/ui_text.h"' >"$tree/media/snapshot.h"
printf '#include "capture/capture_session.h"\n#include "media/snapshot.h"\n' >"$tree/mainwnd/vistrel_dlg.h"

expect() {  # pass|fail, the message expected on failure, what the case is
  local want=$1 message=$2 what=$3 out status=0
  out=$("$check" "$tree" 2>&1) || status=$?
  if [[ $want == pass && $status -ne 0 ]]; then
    echo "FAILED: $what: the check failed: $out"
    exit 1
  fi
  if [[ $want == fail && ($status -eq 0 || "$out" != *"$message"*) ]]; then
    echo "FAILED: $what: expected a failure naming '$message', got status $status: $out"
    exit 1
  fi
  echo "ok: $what"
}

expect pass "" "a tree in layer order"

echo '#include "mainwnd/vistrel_dlg.h"' >>"$tree/view/view_transform.h"
expect fail "view/view_transform.h includes mainwnd/vistrel_dlg.h, a layer above it" "an include pointing up"
sed -i '$d' "$tree/view/view_transform.h"

echo '#include "media/snapshot.h"' >>"$tree/capture/capture_session.h"
expect fail "capture/capture_session.h includes media/snapshot.h, beside it in the same layer" "an include sideways"
sed -i '$d' "$tree/capture/capture_session.h"

echo 'vistrel_folder_library(vistrel_media)' >"$tree/media/CMakeLists.txt"
expect fail "media/CMakeLists.txt does not link what media includes: vistrel_texts" "a library missing a link"
echo 'vistrel_folder_library(vistrel_media LIBS vistrel_texts vistrel_view)' >"$tree/media/CMakeLists.txt"
expect fail "media/CMakeLists.txt links what media does not include: vistrel_view" "a library with a link too many"
echo 'vistrel_folder_library(vistrel_media LIBS vistrel_texts)' >"$tree/media/CMakeLists.txt"
expect pass "" "the tree put back in order"
