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

# The central office's HTTP server, on loopback: a plain file server over a folder beside the
# installation, on a port the system chooses.
server_root=$(mktemp -d /tmp/quillan-demo-server.XXXXXX)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$server_root" >/dev/null 2>&1 &
server_pid=$!
trap 'kill $server_pid 2>/dev/null; rm -rf "$server_root"' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

"$build/app/quillan-sample" "$demo" --mode http --server-path "http://127.0.0.1:$port/"

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
