#!/usr/bin/env bash
# Database backup and hotfix benchmark, in one run, reported as ratios:
#  1. the backup phase of an embedded database (backup + compression + archive test + .bak
#     deleted) against `sqlite3 .backup` followed by Info-ZIP `zip -j` of the copy;
#  2. a hotfix of 10,000 small GO batches against the sqlite3 shell running the same statements.
#   bench/backup/run.sh [path/to/quillan_backup_bench] [database MB, default 1024]
# Work files live in a private folder under /tmp (about 3 times the database size), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
driver=${1:-$here/../../build-bench/bench/backup/quillan_backup_bench}
mb=${2:-1024}
[ -x "$driver" ] || { echo "driver not found: $driver (build target quillan_backup_bench)" >&2; exit 2; }
for tool in sqlite3 zip; do
  command -v $tool >/dev/null || { echo "missing $tool (tools/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/quillan-backup-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/q" "$work/z" "$work/h"
echo "Preparing a $mb MB database in $work ..."
"$driver" make-db "$work/data" "$mb"
db="$work/data/Tervik.sqlite"
echo "database file: $(stat -c %s "$db") bytes"

ms() { local s e; sync; s=$(date +%s%N); "$@" >/dev/null; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
q=$(ms "$driver" backup "$work/data" "$work/q")
z=$(ms sh -c "sqlite3 '$db' \".backup '$work/z/copy.db'\" && zip -q -j '$work/z/copy.zip' '$work/z/copy.db' && rm '$work/z/copy.db'")
qsize=$(stat -c %s "$work"/q/*.zip)
zsize=$(stat -c %s "$work/z/copy.zip")
echo "backup phase: $q ms, sqlite3 .backup + zip: $z ms, ratio $(awk "BEGIN{printf \"%.2f\", $q/$z}")"
echo "archive: $qsize bytes, zip: $zsize bytes, ratio $(awk "BEGIN{printf \"%.3f\", $qsize/$zsize}")"

"$driver" make-hotfix "$work/h/42 fix.sql" 10000
cp "$db" "$work/h/before.sqlite"
h=$(ms "$driver" hotfix "$work/data" "$work/h/42 fix.sql")
cp "$work/h/before.sqlite" "$work/h/shell.sqlite"
s=$(ms sh -c "sqlite3 '$work/h/shell.sqlite' < '$work/h/42 fix.sql.sqlite3.sql'")
echo "hotfix of 10000 batches: $h ms, sqlite3 shell: $s ms, ratio $(awk "BEGIN{printf \"%.2f\", $h/$s}")"
