#!/usr/bin/env bash
# The demo: one whole deployment. Installs what is needed, builds, makes a sample installation in
# /tmp/quillan-demo with the old release's files in place, builds release 8 of new files with
# quillan-release, serves it with quillan-office on a free loopback port, and runs quillan headless
# against it: it prints the files before and after, the hotfix log and the exit code, then runs
# again, which finds the release applied ("Updates Completed successfully", exit code 8). The
# release is signed with the office's key (made with quillan-release keygen) and the installation
# trusts that key, so every file is verified before anything is installed (docs/security.md).
# QUILLAN_BUILD_DIR chooses another build folder (default: build); one already configured is
# built as it is configured. QUILLAN_SKIP_DEPS=1 leaves out tools/install-deps.sh.
# QUILLAN_DEMO_SCREENSHOT=FILE.png makes the first run in the window, on a virtual X display
# (xvfb-run, a build with the window), and saves the screen once the run has ended.
# QUILLAN_DEMO_VERBOSE=1 prints the whole headless output (every row and grid change).
# QUILLAN_DEMO_FORMAT=xml|csv|xls chooses the deploy script's format (default xml).
# For pictures of a run in progress or failing (tools/window-shots.sh): QUILLAN_DEMO_BIG_MB=N adds
# a file of N MB to release 8, so that its download takes a while; QUILLAN_DEMO_OFFICE_ARGS adds
# options to quillan-office (its faults: --stall-after, --drop-after, --missing), and the second
# run is then left out; QUILLAN_DEMO_SHOT_AFTER is the run-log text after which the screen is
# saved (default: the registration's last line), QUILLAN_DEMO_SHOT_DELAY_MS how long after it.
# There is no component registration on Linux: the registration tool is QUILLAN_REGISTRATION_TOOL,
# /bin/true unless set (on Windows the console calls regsvr32).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${QUILLAN_SKIP_DEPS:-0}" = 1 ] || bash tools/install-deps.sh

build=${QUILLAN_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
shot=${QUILLAN_DEMO_SCREENSHOT:-}
targets="quillan quillan-sample quillan-release quillan-office quillan-sql"
[ -z "$shot" ] || targets="$targets quillan-screengrab"
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
export QUILLAN_REGISTRATION_TOOL=${QUILLAN_REGISTRATION_TOOL:-/bin/true}
bin=$build/app

demo=/tmp/quillan-demo          # the distributor's installation (its drive C:)
source=/tmp/quillan-demo-new    # the office's folder of new files
office=/tmp/quillan-demo-office # the release folder the office serves
keys=/tmp/quillan-demo-keys     # the office's signing keys
rm -rf "$demo" "$source" "$office" "$keys"

# --- Release 8 at the office: a program, a report, another file, a component and a hotfix that
# records itself in HotFixLog (the console only reads that table).
mkdir -p "$source"
printf 'Tervik 8\n' >"$source/Tervik.exe"
printf 'Sales report 8\n' >"$source/Sales.rpt"
printf 'Read me, release 8\n' >"$source/ReadMe.txt"
printf 'component 8\n' >"$source/TervikCtl.ocx"
printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' \
  'CREATE TABLE ReleaseNotes (Version INT, Note VARCHAR(100))' 'GO' \
  "INSERT INTO ReleaseNotes VALUES (8, 'Sales report by region')" \
  'INSERT INTO HotFixLog (FixId) VALUES (801)' 'GO' >"$source/HF801.sql"
big_mb=${QUILLAN_DEMO_BIG_MB:-0}
[ "$big_mb" -eq 0 ] || head -c "$((big_mb * 1024 * 1024))" /dev/urandom >"$source/Manual.pdf"
touch -d '2024-06-01 12:00:00' "$source"/*
echo
format=${QUILLAN_DEMO_FORMAT:-xml}
echo "== quillan-release keygen $keys"
"$bin/quillan-release" keygen "$keys"
echo "== quillan-release $source $office --version 8 --format $format --sign $keys/office.key ..."
"$bin/quillan-release" "$source" "$office" --version 8 --format "$format" \
  --report-path 'App.Path\Reports' --register TervikCtl.ocx --sign "$keys/office.key"

# --- The office, on a port the system picks.
port_file=$(mktemp /tmp/quillan-demo-port.XXXXXX)
# shellcheck disable=SC2086
"$bin/quillan-office" "$office" --port-file "$port_file" ${QUILLAN_DEMO_OFFICE_ARGS:-} >/dev/null &
office_pid=$!
trap 'kill $office_pid 2>/dev/null; rm -f "$port_file"' EXIT
for _ in $(seq 100); do
  [ -s "$port_file" ] && break
  sleep 0.05
done
[ -s "$port_file" ] || { echo "quillan-office did not start" >&2; exit 1; }
port=$(cat "$port_file")

# --- The installation: sample settings pointing at the office, and release 7 in place. The
# sample's server folders ("Deploy/", "Master/", "Trans/") are the ones quillan-release writes and
# quillan-office serves by default.
"$bin/quillan-sample" "$demo" --mode http --format "$format" --server-path "http://127.0.0.1:$port/" \
  --trust "$keys/office.pub"
mkdir -p "$demo/Reports"
printf 'Tervik 7\n' >"$demo/Tervik.exe"
printf 'Sales report 7\n' >"$demo/Reports/Sales.rpt"
printf 'Read me, release 7\n' >"$demo/ReadMe.txt"
printf 'component 7\n' >"$demo/TervikCtl.ocx"
touch -d '2024-01-15 09:00:00' "$demo/Tervik.exe" "$demo/Reports/Sales.rpt" "$demo/ReadMe.txt" \
  "$demo/TervikCtl.ocx"

listing() {
  for f in Tervik.exe Reports/Sales.rpt ReadMe.txt TervikCtl.ocx; do
    printf '  %-18s %s  %s\n' "$f" "$(date -r "$demo/$f" '+%Y-%m-%d %H:%M')" "$(head -n 1 "$demo/$f")"
  done
  printf '  HotFixLog: %s\n' "$("$bin/quillan-sql" --app-dir "$demo" \
    -Q 'SELECT FixId FROM [Tervik].dbo.HotFixLog' | tail -n +2 | tr '\n' ' ')"
}

answers=(--answer continue=yes --answer close=yes)
run() {
  echo
  echo "== quillan --app-dir $demo --headless ${answers[*]}"
  set +e
  if [ "${QUILLAN_DEMO_VERBOSE:-0}" = 1 ]; then
    "$bin/quillan" --app-dir "$demo" --headless "${answers[@]}"
  else # the run log, the boxes and the end; the row and grid changes are left out
    "$bin/quillan" --app-dir "$demo" --headless "${answers[@]}" | grep -E '^(\[log\]|\[Quillan|Exit code|Start-up)'
  fi
  rc=${PIPESTATUS[0]}
  set -e
  echo "== quillan ended with exit code $rc (the codes are explained in docs/usage.md)"
}

# The same run in the window on a virtual display: the screen is saved once the run has reached
# its last phase and the closing box is up, then the window is closed. The run counts as completed
# when every row of the release is finished (Status 3), as the completion records leave them.
run_in_window() {
  echo
  echo "== quillan --app-dir $demo ${answers[*]}  (window on Xvfb; screen saved to $shot)"
  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1/quillan" --app-dir "$2" --answer continue=yes --answer close=yes &
    pid=$!
    for _ in $(seq 600); do
      grep -qF -- "$5" "$2/Tervik/Logs/DeployErrlog.log" 2>/dev/null && break
      sleep 0.1
    done
    "$3" "$4" "$6"
    kill $pid; wait $pid 2>/dev/null; exit 0' sh "$bin" "$demo" "$build/ui/quillan-screengrab" "$shot" \
    "${QUILLAN_DEMO_SHOT_AFTER:-Unregistering and Registering files completed}" "${QUILLAN_DEMO_SHOT_DELAY_MS:-1500}"
  rc=1
  [ "$("$bin/quillan-sql" --app-dir "$demo" -Q \
    'SELECT COUNT(*) FROM [Tervik].dbo.SetupDetails WHERE Status <> 3' | tail -n 1)" = 0 ] && rc=0
  echo "== the window's run $([ $rc = 0 ] && echo completed || echo did not complete); screen in $shot"
}

echo
echo "== before: the installation at $demo"
listing
if [ -n "$shot" ]; then run_in_window; else run; fi
first=$rc
echo
echo "== after:"
listing
printf '  ReleaseNotes (made by the hotfix): %s\n' "$("$bin/quillan-sql" --app-dir "$demo" \
  -Q 'SELECT Version, Note FROM [Tervik].dbo.ReleaseNotes' | tail -n +2 | tr '\t\n' '  ')"
echo "== run log: $demo/Tervik/Logs/DeployErrlog.log"

# The second run finds the release applied and ends at once (exit code 8, nothing to do). An office playing a fault would
# play it again: the picture of that run is all there is to see.
if [ -n "${QUILLAN_DEMO_OFFICE_ARGS:-}" ]; then
  echo "== the office played a fault: no second run"
  exit "$first"
fi
run
echo
echo "== the runs file $demo/Tervik/Logs/DeployRuns.jsonl (one summary per process; docs/usage.md)"
tail -n 2 "$demo/Tervik/Logs/DeployRuns.jsonl" | cut -c 1-200
# The demo succeeds when the first run installed the release and the second found it applied.
[ "$first" -eq 0 ] && [ "$rc" -eq 8 ]
