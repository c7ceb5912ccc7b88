#!/usr/bin/env bash
# The built program on a fresh account: a HOME holding nothing but an empty folder. Once
# it runs, its settings file and its language file exist, the folders it made are its
# owner's alone, and SIGTERM ends it with status 0.
# Usage: fresh_account_test.sh <vistrel executable>
set -euo pipefail
program=$1
home=$(mktemp -d)
trap 'kill -TERM "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir "$home/empty"
export HOME="$home" QT_QPA_PLATFORM=offscreen VISTREL_CAMERA=virtual
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_PICTURES_DIR VISTREL_VIRTUAL_CTL
export XDG_RUNTIME_DIR="$home/empty"
chmod 700 "$home/empty"

"$program" &
pid=$!
user="$home/.local/share/Tavio"
# Waits for the files the program makes at start-up, for at most 30 s.
for _ in $(seq 300); do
  [[ -f "$user/Setting.ini" && -f "$user/Language/Japanese.lng" ]] && break
  kill -0 "$pid" 2>/dev/null || { echo "FAILED: the program ended early"; exit 1; }
  sleep 0.1  # the poll interval; the condition above decides
done

failed=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failed=1; fi; }
check '[[ -f "$user/Setting.ini" ]]' "no Setting.ini"
check '[[ -f "$user/Language/Japanese.lng" ]]' "no Language/Japanese.lng"
check 'grep -q "LANGUAGE=Japanese" "$user/Setting.ini"' "the language is not stored"
for folder in "$home/.local" "$home/.local/share" "$user" "$user/Language"; do
  check '[[ "$(stat -c %a "$folder")" == 700 ]]' "$folder is $(stat -c %a "$folder" 2>/dev/null || echo missing), not 700"
done

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
check '[[ $status -eq 0 ]]' "SIGTERM ended the program with status $status"
trap 'rm -rf "$home"' EXIT
[[ $failed -eq 0 ]] && echo "ok: a fresh account gets its settings and language files"
exit $failed
