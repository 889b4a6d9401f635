#!/usr/bin/env bash
# The demo: installs what is needed, builds the console, makes a fresh sample installation in
# /tmp/quillan-demo (HTTP mode, embedded database) and runs one deployment on it headless,
# printing the console as text. QUILLAN_BUILD_DIR chooses another build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=${QUILLAN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target quillan quillan-sample

demo=/tmp/quillan-demo
rm -rf "$demo"
"$build/app/quillan-sample" "$demo" --mode http

echo
echo "== quillan --app-dir $demo --headless --answer continue=yes --answer close=yes"
set +e
"$build/app/quillan" --app-dir "$demo" --headless --answer continue=yes --answer close=yes
rc=$?
set -e
echo
echo "== quillan ended with exit code $rc (the codes are explained in docs/usage.md)"
echo "== run log: $demo/Tervik/Logs/DeployErrlog.log"
# Codes 0 to 3 are outcomes of a deployment; anything else means the program itself failed.
[ "$rc" -le 3 ]
