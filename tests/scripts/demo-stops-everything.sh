#!/usr/bin/env bash
# scripts/demo, sent SIGINT or SIGTERM to its own process (not to its process
# group), stops every process it started: the stand-in, xvfb-run, Xvfb and the
# program.
#
#   demo-stops-everything.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
# Job control: the demo runs as a job of its own, whose SIGINT is not ignored
# as a plain background command's would be.
set -m
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every process below $1, depth first.
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null || true); do
    echo "$child"
    descendants "$child"
  done
}

# Still running: present and not a zombie waiting for its parent.
running() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

failures=0
for signal in INT TERM; do
  log=$work/demo-$signal.log
  # Its own temporary folder: the program's single-instance lock lives there.
  env -u DISPLAY TMPDIR="$work" ZELVO_REGISTRY_DIR="$work/registry" "$source_dir/scripts/demo" --no-build "$build_dir" >"$log" 2>&1 &
  demo=$!
  # Up once the program has published the demo values.
  for _ in $(seq 600); do
    grep -q '\[tag values\]' "$log" && break
    kill -0 "$demo" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '\[tag values\]' "$log"; then
    echo "SIG$signal: the demo did not come up"; cat "$log"
    kill -TERM -- "-$demo" 2>/dev/null || true
    failures=$((failures + 1))
    continue
  fi
  started=$(descendants "$demo")
  kill "-$signal" "$demo"
  status=0
  wait "$demo" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "SIG$signal: the demo ended with status 0"
    failures=$((failures + 1))
  fi
  # Processes the demo signalled may take a moment to go.
  left=""
  for _ in $(seq 100); do
    left=""
    for pid in $started; do running "$pid" && left+=" $pid"; done
    [ -z "$left" ] && break
    sleep 0.1
  done
  if [ -n "$left" ]; then
    echo "SIG$signal: still running after the demo ended:"
    ps -o pid,args -p "${left# }" | cat
    for pid in $left; do kill -KILL "$pid" 2>/dev/null || true; done
    failures=$((failures + 1))
  else
    echo "SIG$signal: the demo and the $(echo "$started" | wc -w) processes it started have ended"
  fi
done
exit $((failures > 0))
