#!/usr/bin/env bash
# The transfers of the Windows build under Wine against the native build on the same machine: one
# download of a MEGABYTES file of random bytes on loopback through the console's FTP and HTTP
# procedures (progress rows, the partial file and its rename included) by the native bench_transfer
# and by bench_transfer.exe under Wine, from the same servers: HTTP from quillan-office, FTP from
# the tests' server; and of a 1 KB file, whose time is the fixed cost of one download (the
# connection, the size and time asked first, the data connection). Five alternating rounds, best
# of each; the time is the download's own, as the
# program prints it, so Wine's start-up (a quarter of a second) is not in it. Peak memory from
# /usr/bin/time (under Wine it includes Wine's own libraries).
#   bench/transfer/wine.sh [NATIVE_BUILD] [WINDOWS_BUILD] [MEGABYTES]
#   (defaults: build, build-windows, 295, the package of the whole-deployment benchmark; the
#   Windows program is built here, in the Windows build made by tools/windows-tests.sh)
# Work files live in a private folder under /tmp (three times MEGABYTES), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
windows=${2:-$here/../../build-windows}
megabytes=${3:-295}
bin=$build/app
. "$here/../office-bench.sh"
. "$here/../../tools/wine-session.sh"
bench_needs "$bin" quillan-office
bench_needs "$build/bench/transfer" bench_transfer
bench_needs_commands wine wineserver /usr/bin/python3 /usr/bin/time
cmake --build "$windows" --target bench_transfer > /dev/null
native=$build/bench/transfer/bench_transfer
winprogram=$windows/bench/transfer/bench_transfer.exe
bench_work quillan-wine-transfer
ftp_pid=
trap '[ -n "$ftp_pid" ] && kill "$ftp_pid" 2>/dev/null; bench_cleanup; wine_session_end' EXIT
wine_session "$windows"

mkdir -p "$work/root/deploy" "$work/out"
head -c $((megabytes * 1024 * 1024)) /dev/urandom > "$work/root/deploy/Package.zip"
head -c 1024 /dev/urandom > "$work/root/deploy/Small.zip"
bench_office "$work/root"
/usr/bin/python3 "$here/../../tests/transfer/ftp_server.py" --root "$work/root" > "$work/ftp.port" 2>/dev/null &
ftp_pid=$!
for _ in $(seq 1 100); do [ -s "$work/ftp.port" ] && break; sleep 0.05; done
[ -s "$work/ftp.port" ] || { echo "the FTP server did not start (python3-pyftpdlib)" >&2; exit 1; }
ftp="127.0.0.1:$(awk '{print $2}' "$work/ftp.port")"

# SIDE PROTOCOL FILE: one download; prints its seconds and the process's peak memory in KiB, after
# checking the bytes arrived whole.
download() {
  local where remote out=$work/out
  rm -f "$out/"*
  if [ "$2" = ftp ]; then where=$ftp remote=deploy; else where=$server remote=deploy/; fi
  if [ "$1" = windows ]; then
    /usr/bin/time -f %M -o "$work/rss" wine "$winprogram" "$2" "$where" "$remote" "$3" \
      "$(winpath "$out")" > "$work/said"
  else
    /usr/bin/time -f %M -o "$work/rss" "$native" "$2" "$where" "$remote" "$3" "$out" > "$work/said"
  fi
  cmp -s "$work/root/deploy/$3" "$out/$3" ||
    { echo "$1 $2: the download differs from the served file" >&2; exit 1; }
  echo "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/said") $(tail -n 1 "$work/rss")"
}
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
most() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a > b) ? a : b }'; }

echo "Downloads on loopback, five alternating rounds, best of each:"
for run in "http Package.zip" "ftp Package.zip" "http Small.zip" "ftp Small.zip"; do
  read -r protocol file <<< "$run"
  size=$([ "$file" = Small.zip ] && echo 0.001 || echo "$megabytes")
  best_n= best_w= peak_n= peak_w=
  for r in 1 2 3 4 5; do
    download native "$protocol" "$file" > "$work/native"
    download windows "$protocol" "$file" > "$work/windows"
    read -r n rss_n < "$work/native"
    read -r w rss_w < "$work/windows"
    echo "  $protocol $file round $r: native $n s, Windows under Wine $w s"
    best_n=$(least "$n" "$best_n") best_w=$(least "$w" "$best_w")
    peak_n=$(most "$rss_n" "$peak_n") peak_w=$(most "$rss_w" "$peak_w")
  done
  awk -v p="$protocol" -v n="$best_n" -v w="$best_w" -v pn="$peak_n" -v pw="$peak_w" -v mb="$size" 'BEGIN {
    if (mb >= 1)
      printf "%s, %s MB: native %.3f s (%.0f MB/s), Windows under Wine %.3f s (%.0f MB/s)", toupper(p), mb, n,
        mb / n, w, mb / w
    else
      printf "%s, 1 KB: native %.3f s, Windows under Wine %.3f s", toupper(p), n, w
    printf ", ratio %s; peak memory native %.1f MB, Wine %.1f MB\n", (n > 0 ? sprintf("%.2f", w / n) : "-"),
      pn / 1024, pw / 1024 }'
done
echo "goal: the Windows build within 1.5 times the native time, peak memory under 64 MB"
