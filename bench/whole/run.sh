#!/usr/bin/env bash
# A whole deployment, timed end to end: a release of FILES files of MEGABYTES in all, built by
# quillan-release (one package, XML master script, one hotfix) and served by quillan-office, is
# deployed by a headless quillan run onto a sample installation that holds the old copies of every
# file: start-up, the deploy script over the web service and its import, the package over HTTP,
# the unpacking, the database backup (copy + ZIP), the backup of every old file, the hotfix, the
# replacement of every file, the tidying up. Against it, a shell script doing the same work with
# the standard tools: curl for the script and the package (its size checked), unzip, sqlite3
# .backup + zip for the database, cp -p for the backup and the replacement, sqlite3 for the
# hotfix. Three alternating rounds, best of each, both from the page cache; the installations are
# made before the clock starts. Then quillan's peak memory, and one more run split by phase.
#   bench/whole/run.sh [BUILD_DIR] [MEGABYTES] [FILES]     (defaults: build-bench, 500, 2000)
# Work files live in a private folder under /tmp (about six times MEGABYTES), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
megabytes=${2:-500}
files=${3:-2000}
bin=$build/app
. "$here/../office-bench.sh"
bench_needs "$bin" quillan quillan-sample quillan-office quillan-release
bench_needs_commands curl unzip zip sqlite3 python3 /usr/bin/time
bench_work quillan-whole-bench

echo "Preparing a ${megabytes} MB release of $files files in $work ..."
old_time=$(date -d '2024-01-15 09:00:00' +%s)
new_time=$(date -d '2024-03-01 10:00:00' +%s)
python3 "$here/make_files.py" "$work/old" "$files" "$megabytes" 7 "$old_time"
python3 "$here/make_files.py" "$work/new" "$files" "$megabytes" 8 "$new_time"
# The hotfix records itself in HotFixLog, as a published hotfix does (the console only reads it).
printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' \
  'CREATE TABLE ReleaseNotes (Version INT, Note VARCHAR(100))' 'GO' \
  "INSERT INTO ReleaseNotes VALUES (8, 'Whole deployment')" \
  'INSERT INTO HotFixLog (FixId) VALUES (801)' 'GO' > "$work/new/HF801.sql"
touch -d '2024-03-01 10:00:00' "$work/new/HF801.sql"
office=$work/office
"$bin/quillan-release" "$work/new" "$office" --version 8 > /dev/null
package=$office/Deploy/Release8.zip
script=Master/SETUPDETAILS_000008.xml
du -sh "$package" | sed 's/^/published: /'

bench_office "$office"

# A fresh sample installation with the old copies in place, outside the clock.
install() {
  rm -rf "$1"
  "$bin/quillan-sample" "$1" --mode http --server-path "$server" --web-service DeployService \
    --deploy-path Deploy/ --master-path Master/ --trans-path Trans/ > /dev/null
  cp -p "$work/old/"* "$1/"
  sync
}
# Every file of the release installed with the new bytes and the release's time.
check() {
  local f
  for f in File0001.dll File0002.rpt "File$(printf %04d "$files").${2}"; do
    cmp -s "$work/new/$f" "$1/$f" || { echo "$3 did not install $f" >&2; exit 1; }
    cmp -s "$work/old/$f" "$1/$4/$f" || { echo "$3 did not back up $f" >&2; exit 1; }
  done
  [ "$(stat -c %Y "$1/File0001.dll")" = "$new_time" ] || { echo "$3 lost the file time" >&2; exit 1; }
}
last_ext=$(case $((files % 3)) in 1) echo dll ;; 2) echo rpt ;; *) echo txt ;; esac)

quillan_round() {
  install "$work/inst"
  local t
  t=$(ms /usr/bin/time -f %M -o "$work/rss" "$bin/quillan" --app-dir "$work/inst" --headless \
    --answer continue=yes --answer close=yes)
  sqlite3 "$work/inst/Data/Tervik.sqlite" 'SELECT FixId FROM HotFixLog' | grep -q 801 ||
    { echo "quillan did not run the hotfix" >&2; exit 1; }
  check "$work/inst" "$last_ext" quillan UploadBackup
  echo "$t $(tail -n 1 "$work/rss")"
}

# The same work with the standard tools.
shell_work() {
  local app=$1 dl=$1/Download upd=$1/Tervik/Update bak=$1/UploadBackup
  mkdir -p "$dl" "$upd" "$bak"
  curl -sf -o "$dl/SETUPDETAILS_000008.xml" "$server$script"
  curl -sf -o "$dl/Release8.zip" "${server}Deploy/Release8.zip"
  [ "$(stat -c %s "$dl/Release8.zip")" = "$(stat -c %s "$package")" ] || return 1
  unzip -o -j -q "$dl/Release8.zip" -d "$upd"
  sqlite3 "$app/Data/Tervik.sqlite" ".backup '$bak/D0001.bak'"
  zip -q -j "$bak/D0001.zip" "$bak/D0001.bak"
  rm "$bak/D0001.bak"
  (cd "$upd" && ls -- File*) > "$dl/names"
  (cd "$app" && xargs -a "$dl/names" cp -p -t "$bak" --)
  sed -e 's/\r$//' -e '/^--/d' -e '/^GO$/d' -e 's/$/;/' "$upd/HF801.sql" | sqlite3 "$app/Data/Tervik.sqlite"
  (cd "$upd" && xargs -a "$dl/names" cp -p -t "$app" --)
}
shell_round() {
  install "$work/shell"
  local t
  t=$(ms shell_work "$work/shell")
  sqlite3 "$work/shell/Data/Tervik.sqlite" 'SELECT FixId FROM HotFixLog' | grep -q 801 ||
    { echo "the shell script did not run the hotfix" >&2; exit 1; }
  check "$work/shell" "$last_ext" "the shell script" UploadBackup
  echo "$t"
}

best_q=999999999 best_s=999999999 peak=0
for round in 1 2 3; do
  read -r q rss < <(quillan_round)
  s=$(shell_round)
  echo "round $round: quillan $q ms (peak $((rss / 1024)) MB), standard tools $s ms"
  [ "$q" -lt "$best_q" ] && best_q=$q
  [ "$s" -lt "$best_s" ] && best_s=$s
  [ "$rss" -gt "$peak" ] && peak=$rss
  rm -rf "$work/inst" "$work/shell"
done
ratio=$(awk -v q="$best_q" -v s="$best_s" 'BEGIN { printf "%.2f", q / s }')
echo "Whole deployment of a ${megabytes} MB release of $files files, best of three: quillan $best_q ms," \
  "standard tools $best_s ms, ratio (quillan / shell) $ratio; quillan's peak memory" \
  "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }') MB"

install "$work/inst"
python3 "$here/phases.py" "$bin/quillan" --app-dir "$work/inst" --headless --answer continue=yes \
  --answer close=yes
# A second run finds the release applied.
"$bin/quillan" --app-dir "$work/inst" --headless --answer continue=yes --answer close=yes > "$work/again" || true
grep -q "Updates Completed successfully" "$work/again" || {
  echo "the second run did not find the release applied:" >&2
  grep -E '^\[(row [0-9]+\] in progress|Quillan|LblStatus)|^Exit code' "$work/again" >&2
  exit 1
}
echo "second run: Updates Completed successfully"
