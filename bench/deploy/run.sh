#!/usr/bin/env bash
# The whole download-verify-unpack sequence of a release, timed end to end: a headless quillan run
# on a fresh sample installation against quillan-office (deploy scripts over the web service, every
# package over HTTP, sizes verified, everything unpacked into the update folder) against a shell
# script that does the same work with curl and unzip (fetch the script and the packages, check each
# size, unpack each package flat). Best of three, alternating, in one run.
#   bench/deploy/run.sh [BUILD_DIR] [MEGABYTES]     (defaults: build-bench, 500)
# Work files live in a private folder under /tmp (about three times MEGABYTES), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
megabytes=${2:-500}
bin=$build/app
. "$here/../office-bench.sh"
bench_needs "$bin" quillan quillan-sample quillan-office
bench_needs_commands curl unzip zip python3
bench_work quillan-deploy-bench

# The release: five packages of MEGABYTES/5 each, every package four members: log-like text,
# base64 text and random bytes, as a release's programs, reports and data mix them.
packages=5
member_bytes=$((megabytes * 1024 * 1024 / packages / 4))
root=$work/office
mkdir -p "$root/Deploy" "$root/Master" "$root/Trans" "$work/staging"
echo "Preparing a ${megabytes} MB release in $packages packages in $work ..."
for p in $(seq 1 $packages); do
  d=$work/staging/p$p
  mkdir -p "$d"
  head -c "$member_bytes" /dev/urandom > "$d/Data$p.bin"
  head -c $((member_bytes * 3 / 4)) /dev/urandom | base64 -w 76 > "$d/Module$p.dll"
  truncate -s "$member_bytes" "$d/Module$p.dll"
  (yes "2024-03-01 10:00:00 INFO package $p: a line of the kind a release's text files hold" || true) |
    head -c "$member_bytes" > "$d/Notes$p.txt"
  head -c "$member_bytes" /dev/urandom > "$d/Report$p.rpt"
  touch -d "2024-02-0$p 08:30:00" "$d"/*
  (cd "$d" && zip -q -6 "$root/Deploy/Pkg$p.zip" ./*)
done
rm -rf "$work/staging"

python3 - "$root" $packages > "$root/Master/SETUPDETAILS_1.xml" <<'EOF'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
print("<?xml version='1.0' standalone='yes'?>\n<NewDataSet>")
print("  <SetupDetails><File_Names>Tervik.exe</File_Names><File_Path>App.Path</File_Path>"
      "<File_CrDate>2024-03-01T10:00:00</File_CrDate><VersionNo>8</VersionNo><UploadFileSize>0</UploadFileSize>"
      "<FileExtension>EXE</FileExtension></SetupDetails>")
for p in range(1, n + 1):
    size = os.path.getsize(os.path.join(root, "Deploy", "Pkg%d.zip" % p))
    print("  <SetupDetails><File_Names>Pkg%d.zip</File_Names><File_Path>App.Path</File_Path>"
          "<File_CrDate>2024-03-01T10:00:00</File_CrDate><VersionNo>8</VersionNo>"
          "<UploadFileSize>%d</UploadFileSize></SetupDetails>" % (p, size))
print("</NewDataSet>")
EOF
du -sh "$root/Deploy" | sed 's/^/published: /'

bench_office "$root" --master Master --trans Trans

# One quillan run on a fresh installation (made before the clock starts).
quillan_round() {
  rm -rf "$work/inst"
  "$bin/quillan-sample" "$work/inst" --server-path "$server" > /dev/null
  sync
  local t; t=$(ms "$bin/quillan" --app-dir "$work/inst" --headless)
  for p in $(seq 1 $packages); do
    [ -f "$work/inst/Tervik/Update/Notes$p.txt" ] || { echo "quillan did not unpack Pkg$p.zip" >&2; exit 1; }
  done
  echo "$t"
}

# The same work by hand: the script, every package with its size checked, every package unpacked.
shell_work() {
  local upd=$work/shell/Update
  curl -sf -o "$work/shell/SETUPDETAILS_1.xml" "${server}Master/SETUPDETAILS_1.xml"
  for p in $(seq 1 $packages); do
    curl -sf -o "$upd/Pkg$p.zip" "${server}Deploy/Pkg$p.zip"
    [ "$(stat -c %s "$upd/Pkg$p.zip")" = "$(stat -c %s "$root/Deploy/Pkg$p.zip")" ] || return 1
  done
  for p in $(seq 1 $packages); do unzip -o -j -q "$upd/Pkg$p.zip" -d "$upd"; done
}
shell_round() {
  rm -rf "$work/shell"
  mkdir -p "$work/shell/Update"
  sync
  local t; t=$(ms shell_work)
  [ -f "$work/shell/Update/Notes$packages.txt" ] || { echo "the shell script did not unpack" >&2; exit 1; }
  echo "$t"
}

best_q=999999999 best_s=999999999
for round in 1 2 3; do
  q=$(quillan_round)
  s=$(shell_round)
  echo "round $round: quillan $q ms, curl + unzip $s ms"
  [ "$q" -lt "$best_q" ] && best_q=$q
  [ "$s" -lt "$best_s" ] && best_s=$s
done
ratio=$(awk -v q="$best_q" -v s="$best_s" 'BEGIN { printf "%.2f", q / s }')
echo "Download, verify and unpack a ${megabytes} MB release, best of three: quillan $best_q ms," \
  "curl + unzip $best_s ms, ratio (quillan / shell) $ratio"
