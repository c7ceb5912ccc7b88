#!/usr/bin/env bash
# Checks the code's layers: a folder includes only folders below it in the order
# below (never one above, never another folder of its own layer), and each folder's
# CMake library (vistrel_folder_library) links exactly the libraries of the folders it
# includes. Prints every breach and fails when there is one.
# Usage: scripts/check-layers.sh [source tree]   (default: this repository)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# Layers, top first. Folders of one layer may not include each other; the platform's
# own folders may, as one layer.
layers=(
  "app"
  "mainwnd"
  "adjust"
  "capture media"
  "flash"
  "view"
  "texts"
  "outside"
  "platform res"
)

declare -A rank=()
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

failures=0
fail() {
  echo "layers: $*" >&2
  failures=$((failures + 1))
}

# Every include of every source folder, as "file included-path".
sources=()
for folder in "${!rank[@]}"; do
  [[ -d "$folder" ]] || continue
  while IFS= read -r -d '' file; do sources+=("$file"); done < <(find "$folder" \( -name '*.h' -o -name '*.cpp' \) -print0)
done

# Every quoted include of every source file, as "file:included".
includes() {
  (($# > 0)) || return 0
  grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$@" | sed 's/^\([^:]*\):.*"\([^"]*\)".*/\1:\2/'
}

while IFS=: read -r file included; do
  [[ "$included" == */* ]] || continue  # a file beside this one
  from=${file%%/*}  # the layer folder: platform/graph/v4l2/x.h -> platform
  to=${included%%/*}
  [[ -n "${rank[$to]+set}" ]] || continue  # not one of ours (a system header)
  [[ "$to" == "$from" ]] && continue
  if ((rank[$to] < rank[$from])); then
    fail "$file includes $included, a layer above it"
  elif ((rank[$to] == rank[$from])); then
    fail "$file includes $included, beside it in the same layer"
  fi
done < <(includes "${sources[@]}")

# The library each folder makes, and the vistrel_* libraries it links.
declare -A library=()
for cmake in $(find "${!rank[@]}" -name CMakeLists.txt 2>/dev/null | sort); do
  folder=$(dirname "$cmake")
  name=$(sed -n 's/^vistrel_folder_library(\([A-Za-z0-9_]*\).*/\1/p' "$cmake" | head -1)
  [[ -n "$name" ]] && library[$folder]=$name
done

for folder in "${!library[@]}"; do
  cmake="$folder/CMakeLists.txt"
  linked=$(tr '\n' ' ' <"$cmake" | sed -n 's/.*vistrel_folder_library([A-Za-z0-9_]*\([^)]*\)).*/\1/p' |
    tr ' ' '\n' | grep '^vistrel_' | sort -u || true)
  wanted=$(includes $(find "$folder" -maxdepth 1 \( -name '*.h' -o -name '*.cpp' \)) |
    while IFS=: read -r _ included; do
      dir=${included%/*}
      [[ "$included" == */* && "$dir" != "$folder" && -n "${library[$dir]+set}" ]] && echo "${library[$dir]}"
    done | sort -u || true)
  missing=$(comm -13 <(echo "$linked") <(echo "$wanted") | grep . || true)
  extra=$(comm -23 <(echo "$linked") <(echo "$wanted") | grep . || true)
  [[ -z "$missing" ]] || fail "$cmake does not link what $folder includes:" $missing
  [[ -z "$extra" ]] || fail "$cmake links what $folder does not include:" $extra
done

if ((failures > 0)); then
  echo "layers: $failures breach(es)" >&2
  exit 1
fi
echo "layers: ${#sources[@]} files in order"
