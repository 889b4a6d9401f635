#!/usr/bin/env bash
# What verification costs a whole deployment: the same release, signed with the office's key and
# served by one quillan-office, deployed by headless quillan runs onto two kinds of fresh sample
# installation holding the old copies of every file: one that trusts the key (every script,
# package and piece hashed and checked against the signed manifest) and one that trusts none
# (the manifest is passed over). The difference between the two is the verification alone.
# Three rounds, each kind first in turn, best of each, from the page cache; installations made before the clock.
#   bench/whole/signed.sh [BUILD_DIR] [MEGABYTES] [FILES]     (defaults: build-bench, 500, 2000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
megabytes=${2:-500}
files=${3:-2000}
bin=$build/app
. "$here/../office-bench.sh"
bench_needs "$bin" quillan quillan-sample quillan-office quillan-release
bench_needs_commands python3 sqlite3
bench_work quillan-signed-bench

echo "Preparing a signed ${megabytes} MB release of $files files in $work ..."
python3 "$here/make_files.py" "$work/old" "$files" "$megabytes" 7 "$(date -d '2024-01-15 09:00:00' +%s)"
python3 "$here/make_files.py" "$work/new" "$files" "$megabytes" 8 "$(date -d '2024-03-01 10:00:00' +%s)"
printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' 'INSERT INTO HotFixLog (FixId) VALUES (801)' 'GO' \
  > "$work/new/HF801.sql"
"$bin/quillan-release" keygen "$work/keys" > /dev/null
"$bin/quillan-release" "$work/new" "$work/office" --version 8 --sign "$work/keys/office.key" > /dev/null
bench_office "$work/office"

install() { # FOLDER [--trust FILE]
  rm -rf "$1"
  "$bin/quillan-sample" "$1" --mode http --server-path "$server" --web-service DeployService \
    --deploy-path Deploy/ --master-path Master/ --trans-path Trans/ "${@:2}" > /dev/null
  cp -p "$work/old/"* "$1/"
  sync
}
round() { # [--trust FILE]: the run's milliseconds
  install "$work/inst" "$@"
  local t
  t=$(ms "$bin/quillan" --app-dir "$work/inst" --headless --answer continue=yes --answer close=yes)
  sqlite3 "$work/inst/Data/Tervik.sqlite" 'SELECT FixId FROM HotFixLog' | grep -q 801 ||
    { echo "the run did not install the release" >&2; exit 1; }
  if [ $# -gt 0 ]; then
    grep -q "Every package matches the signed manifest" "$work/inst/Tervik/Logs/DeployErrlog.log" ||
      { echo "the trusting run did not verify the release" >&2; exit 1; }
  fi
  echo "$t"
}

best_u=999999999 best_v=999999999
for r in 1 2 3; do
  # Each kind goes first in turn: the machine's load drifts within a round too.
  if [ $((r % 2)) -eq 1 ]; then
    u=$(round)
    v=$(round --trust "$work/keys/office.pub")
  else
    v=$(round --trust "$work/keys/office.pub")
    u=$(round)
  fi
  echo "round $r: not verified $u ms, verified $v ms"
  [ "$u" -lt "$best_u" ] && best_u=$u
  [ "$v" -lt "$best_v" ] && best_v=$v
done
echo "Whole deployment of a ${megabytes} MB release of $files files, best of three: not verified" \
  "$best_u ms, verified $best_v ms, cost $(awk -v u="$best_u" -v v="$best_v" 'BEGIN { printf "%.1f", (v - u) * 100 / u }') %"
