#!/usr/bin/env bash
# The Windows build under Wine against the native build on the same machine: the whole deployment
# of bench/whole/run.sh (a release of FILES files of MEGABYTES in all, one package, XML master
# script, one hotfix, served by the native quillan-office) by a headless quillan.exe under Wine and
# by the native quillan, each onto a fresh sample installation holding the old copies of every
# file (quillan-sample.exe makes the Windows one, whose paths reach it as Z:\...). quillan.exe
# runs as the distributable holds it, without its debugging sections (Wine maps those into
# memory: about 100 MB more of peak memory and half a second more of start-up). Three
# alternating rounds, best of each, both from the page cache, installations made before the
# clock; each side's peak memory (/usr/bin/time, maximum resident set: under Wine that includes
# Wine's own libraries, shown alone by quillan.exe --version); then one more run of each split by
# phase (phases.py), every figure as Windows / native.
#   bench/whole/wine.sh [NATIVE_BUILD] [WINDOWS_BUILD] [MEGABYTES] [FILES]
#   (defaults: build, build-windows, 500, 2000; tools/windows-tests.sh makes the Windows build)
# Work files live in a private folder under /tmp (about eight times MEGABYTES), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
windows=${2:-$here/../../build-windows}
megabytes=${3:-500}
files=${4:-2000}
bin=$build/app
winbin=$windows/app
. "$here/../office-bench.sh"
. "$here/../../tools/wine-session.sh"
bench_needs "$bin" quillan quillan-sample quillan-office quillan-release
bench_needs "$winbin" quillan.exe quillan-sample.exe
bench_needs_commands wine wineserver x86_64-w64-mingw32-strip sqlite3 python3 /usr/bin/time
bench_work quillan-wine-bench
trap 'bench_cleanup; wine_session_end' EXIT
wine_session "$windows"
x86_64-w64-mingw32-strip -o "$work/quillan.exe" "$winbin/quillan.exe"

echo "Preparing a ${megabytes} MB release of $files files in $work ..."
old_time=$(date -d '2024-01-15 09:00:00' +%s)
new_time=$(date -d '2024-03-01 10:00:00' +%s)
python3 "$here/make_files.py" "$work/old" "$files" "$megabytes" 7 "$old_time"
python3 "$here/make_files.py" "$work/new" "$files" "$megabytes" 8 "$new_time"
printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' 'INSERT INTO HotFixLog (FixId) VALUES (801)' 'GO' \
  > "$work/new/HF801.sql"
touch -d '2024-03-01 10:00:00' "$work/new/HF801.sql"
"$bin/quillan-release" "$work/new" "$work/office" --version 8 > /dev/null
bench_office "$work/office"

# SIDE (native or windows) FOLDER: a fresh sample installation with the old copies in place.
install() {
  rm -rf "$2"
  local settings=(--mode http --server-path "$server" --web-service DeployService --deploy-path Deploy/
                  --master-path Master/ --trans-path Trans/)
  if [ "$1" = windows ]; then
    wine "$winbin/quillan-sample.exe" "$(winpath "$2")" "${settings[@]}" > /dev/null
  else
    "$bin/quillan-sample" "$2" "${settings[@]}" > /dev/null
  fi
  cp -p "$work/old/"* "$2/"
  sync
}
# SIDE FOLDER: the headless run's command line.
command_of() {
  if [ "$1" = windows ]; then
    echo wine "$work/quillan.exe" --app-dir "$(winpath "$2")"
  else
    echo "$bin/quillan" --app-dir "$2"
  fi
}
last=File$(printf %04d "$files").$(case $((files % 3)) in 1) echo dll ;; 2) echo rpt ;; *) echo txt ;; esac)
# SIDE FOLDER: every file installed with the new bytes and the release's time, the old ones backed
# up, the hotfix run.
check() {
  local f
  for f in File0001.dll File0002.rpt "$last"; do
    cmp -s "$work/new/$f" "$2/$f" || { echo "$1 did not install $f" >&2; exit 1; }
    cmp -s "$work/old/$f" "$2/UploadBackup/$f" || { echo "$1 did not back up $f" >&2; exit 1; }
  done
  [ "$(stat -c %Y "$2/File0001.dll")" = "$new_time" ] || { echo "$1 lost the file time" >&2; exit 1; }
  sqlite3 "$2/Data/Tervik.sqlite" 'SELECT FixId FROM HotFixLog' | grep -q 801 ||
    { echo "$1 did not run the hotfix" >&2; exit 1; }
}
# SIDE: one timed run; prints its milliseconds and peak memory in KiB.
round() {
  local inst=$work/inst-$1 t
  install "$1" "$inst"
  # shellcheck disable=SC2046 # the command line is words without spaces
  t=$(ms /usr/bin/time -f %M -o "$work/rss" $(command_of "$1" "$inst") --headless --answer continue=yes \
    --answer close=yes)
  check "$1" "$inst"
  echo "$t $(tail -n 1 "$work/rss")"
  rm -rf "$inst"
}
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

/usr/bin/time -f %M -o "$work/rss" wine "$work/quillan.exe" --version > /dev/null
echo "Wine alone (quillan.exe --version): peak memory $(mb "$(tail -n 1 "$work/rss")") MB"
best_n=999999999 best_w=999999999 peak_n=0 peak_w=0
for r in 1 2 3; do
  read -r n rss_n < <(round native)
  read -r w rss_w < <(round windows)
  echo "round $r: native $n ms (peak $(mb "$rss_n") MB), Windows under Wine $w ms (peak $(mb "$rss_w") MB)"
  [ "$n" -lt "$best_n" ] && best_n=$n
  [ "$w" -lt "$best_w" ] && best_w=$w
  [ "$rss_n" -gt "$peak_n" ] && peak_n=$rss_n
  [ "$rss_w" -gt "$peak_w" ] && peak_w=$rss_w
done
echo "Whole deployment of a ${megabytes} MB release of $files files, best of three: native $best_n ms," \
  "Windows under Wine $best_w ms, ratio (Windows / native)" \
  "$(awk -v w="$best_w" -v n="$best_n" 'BEGIN { printf "%.2f", w / n }'); peak memory native" \
  "$(mb "$peak_n") MB, Windows under Wine $(mb "$peak_w") MB"

for side in native windows; do
  install "$side" "$work/inst-$side"
  # shellcheck disable=SC2046
  python3 "$here/phases.py" $(command_of "$side" "$work/inst-$side") --headless --answer continue=yes \
    --answer close=yes > "$work/phases-$side"
  check "$side" "$work/inst-$side"
  rm -rf "$work/inst-$side"
done
# The two splits side by side: the same rows in the same order.
echo "phase split, one run each (native | Windows under Wine | ratio):"
paste -d '\n' "$work/phases-native" "$work/phases-windows" | awk '
  NR == 1 || NR == 2 { next }  # the two headers
  NR % 2 == 1 { name = substr($0, 3, 32); n = $(NF - 3); next }
  { w = $(NF - 3); ratio = n > 0 ? sprintf("%.2f", w / n) : "-"
    printf "  %s %8.2f s %8.2f s  %6s\n", name, n, w, ratio }'
head -n 1 "$work/phases-native" | sed 's/^/native /'
head -n 1 "$work/phases-windows" | sed 's/^/Windows under Wine /'
