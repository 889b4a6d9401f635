#!/usr/bin/env bash
# Pictures of real runs in the window, on a virtual X display (docs/window.md): the demo's release
# installed (finished), the same release stalled part way through its 20 MB package (in progress),
# and the package broken off after 7 MB (failed). Each picture is the whole screen, saved by
# tools/demo.sh's QUILLAN_DEMO_SCREENSHOT; the demo's output for each is kept beside it.
#   bash tools/window-shots.sh [OUT_DIR]        (default /tmp/quillan-window-shots)
# QUILLAN_BUILD_DIR chooses the build (default build, with the window); the Debian packages are
# taken as installed unless QUILLAN_SKIP_DEPS=0.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-/tmp/quillan-window-shots}
mkdir -p "$out"
export QUILLAN_SKIP_DEPS=${QUILLAN_SKIP_DEPS:-1}
seven_mb=$((7 * 1024 * 1024))

shot() {
  local name=$1
  shift
  echo "== $name: $out/$name.png"
  rm -f "$out/$name.png"
  env "$@" QUILLAN_DEMO_SCREENSHOT="$out/$name.png" bash tools/demo.sh >"$out/$name.log" 2>&1 || true
  [ -s "$out/$name.png" ] || { echo "no picture was saved; the demo's output is in $out/$name.log" >&2; exit 1; }
}

shot finished
shot in-progress QUILLAN_DEMO_BIG_MB=20 QUILLAN_DEMO_OFFICE_ARGS="--stall-after Release8.zip=$seven_mb" \
  "QUILLAN_DEMO_SHOT_AFTER=>>-Started Downloading Files from HTTP" QUILLAN_DEMO_SHOT_DELAY_MS=3000
shot failed QUILLAN_DEMO_BIG_MB=20 QUILLAN_DEMO_OFFICE_ARGS="--drop-after Release8.zip=$seven_mb" \
  "QUILLAN_DEMO_SHOT_AFTER=>>-File Not Properly Downloaded" QUILLAN_DEMO_SHOT_DELAY_MS=2000
echo "== pictures in $out"
