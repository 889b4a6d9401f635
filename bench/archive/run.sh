#!/usr/bin/env bash
# Archive and LAN-copy benchmark: our wrappers against the standard tools, in one run.
#   bench/archive/run.sh [path/to/quillan_archive_bench] [copy]
# Extracts a 200 MB package (cUnzip vs unzip -o -j), compresses a 500 MB backup-like file (cZip vs
# zip -j), copies a 200 MB file (the LAN copy vs cp) and reads the peak memory of a 1 GB
# compression and extraction. Work files live in a private folder under /tmp, removed at the end.
# With `copy` it only compares the LAN copy with cp, five alternating rounds timed to the
# millisecond (a 200 MB copy from the page cache takes about 0.1 s, below the single run's
# resolution).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
driver=${1:-$here/../../build-archive/bench/archive/quillan_archive_bench}
only=${2:-all}
[ -x "$driver" ] || { echo "driver not found: $driver (build target quillan_archive_bench)" >&2; exit 2; }
for tool in zip unzip /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (tools/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/quillan-archive-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
MB=$((1024 * 1024))

# Mixed content: log-like text (very compressible), base64 text (partly), random bytes (not at all).
mixed() { # mixed <file> <megabytes>
  local out=$1 mb=$2 third=$(( $2 / 3 ))
  set +o pipefail # head closes the generators' pipes on purpose
  { seq 1 100000000 | sed 's/$/;INSERT INTO SetupDetails VALUES (1, "Tervik.exe", 42)/' | head -c $((third * MB))
    head -c $((third * MB * 3 / 4)) /dev/urandom | base64 -w 76 | head -c $((third * MB))
    head -c $(( (mb - 2 * third) * MB )) /dev/urandom; } > "$out"
  set -o pipefail
}

# timed <label> <command...>: prints elapsed seconds and peak RSS (KiB) into $work/<label>.t
timed() {
  local label=$1; shift
  sync
  /usr/bin/time -f "%e %M" -o "$work/$label.t" "$@" >/dev/null 2>"$work/$label.err" ||
    { echo "$label failed:"; cat "$work/$label.err"; exit 1; }
}
secs() { cut -d' ' -f1 "$work/$1.t"; }
peak_mb() { awk '{printf "%.1f", $2 / 1024}' "$work/$1.t"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) b = 0.01; printf "%.2f", a / b }'; }

if [ "$only" = copy ]; then
  head -c $((200 * MB)) /dev/urandom > "$work/copy.src"
  ms() { local s e; sync; s=$(date +%s%N); "$@" >/dev/null; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
  best_ours=999999 best_cp=999999
  for round in 1 2 3 4 5; do
    ours=$(ms "$driver" copy "$work/copy.src" "$work/copy.ours")
    cmp -s "$work/copy.src" "$work/copy.ours" || { echo "copy differs"; exit 1; }
    tool=$(ms cp "$work/copy.src" "$work/copy.cp")
    rm -f "$work/copy.ours" "$work/copy.cp"
    echo "round $round: LAN copy $ours ms, cp $tool ms"
    [ "$ours" -lt "$best_ours" ] && best_ours=$ours
    [ "$tool" -lt "$best_cp" ] && best_cp=$tool
  done
  echo "Copy 200 MB, best of five: LAN copy $best_ours ms, cp $best_cp ms, ratio $(ratio "$best_ours" "$best_cp")"
  exit 0
fi

echo "Preparing data in $work ..."
mkdir -p "$work/pkg/Bin/Sub" "$work/pkg/Reports"
mixed "$work/pkg/Bin/Tervik.exe" 80
mixed "$work/pkg/Bin/Sub/Library.dll" 60
for i in $(seq 1 30); do mixed "$work/pkg/Reports/Report$i.rpt" 2; done
(cd "$work/pkg" && zip -q -r ../package.zip .)
mixed "$work/backup.bak" 500
head -c $((200 * MB)) /dev/urandom > "$work/copy.src"
mixed "$work/big.bak" 1024

echo "Running ..."
timed unzip_ours "$driver" unzip "$work/package.zip" "$work/out-ours"
timed unzip_info unzip -q -o -j "$work/package.zip" -d "$work/out-info"
diff -r "$work/out-ours" "$work/out-info" >/dev/null || { echo "extractions differ"; exit 1; }

timed zip_ours "$driver" zip "$work/backup-ours.zip" "$work/backup.bak"
timed zip_info zip -q -j "$work/backup-info.zip" "$work/backup.bak"
size_ours=$(stat -c %s "$work/backup-ours.zip"); size_info=$(stat -c %s "$work/backup-info.zip")
unzip -tq "$work/backup-ours.zip" >/dev/null

timed copy_ours "$driver" copy "$work/copy.src" "$work/copy.ours"
timed copy_cp cp "$work/copy.src" "$work/copy.cp"
cmp -s "$work/copy.src" "$work/copy.ours" || { echo "copy differs"; exit 1; }

timed big_zip "$driver" zip "$work/big.zip" "$work/big.bak"
rm -f "$work/big.bak"
timed big_unzip "$driver" unzip "$work/big.zip" "$work/big-out"

printf '\n%-44s %10s %10s %8s\n' "Operation" "Quillan s" "Tool s" "ratio"
printf '%-44s %10s %10s %8s\n' "Extract 200 MB package (unzip -o -j)" "$(secs unzip_ours)" "$(secs unzip_info)" \
  "$(ratio "$(secs unzip_ours)" "$(secs unzip_info)")"
printf '%-44s %10s %10s %8s\n' "Compress 500 MB backup (zip -j)" "$(secs zip_ours)" "$(secs zip_info)" \
  "$(ratio "$(secs zip_ours)" "$(secs zip_info)")"
printf '%-44s %10s %10s %8s\n' "Copy 200 MB package (cp)" "$(secs copy_ours)" "$(secs copy_cp)" \
  "$(ratio "$(secs copy_ours)" "$(secs copy_cp)")"
printf '\n%-44s %10s %10s %8s\n' "Archive size, 500 MB backup (bytes)" "$size_ours" "$size_info" "$(ratio "$size_ours" "$size_info")"
printf '%-44s %10s MB (1 GB file, %s s)\n' "Peak memory, compression" "$(peak_mb big_zip)" "$(secs big_zip)"
printf '%-44s %10s MB (1 GB archive, %s s)\n' "Peak memory, extraction" "$(peak_mb big_unzip)" "$(secs big_unzip)"
printf '%-44s %10s MB / %s MB\n' "Peak memory, 200 MB extraction ours / unzip" "$(peak_mb unzip_ours)" "$(peak_mb unzip_info)"
