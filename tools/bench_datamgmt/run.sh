#!/usr/bin/env bash
# Backup benchmark: copy throughput of the backup's copy job beside `cp` of the same files into
# the same file system (cp alone, and cp followed by sync, since the backup flushes every copy
# to the medium before it counts), then the main thread's longest stall during a whole Backup
# command of the same card. Card size in MB (default 2048) as 16 recordings.
#   tools/bench_datamgmt/run.sh [BUILD_DIR] [MB] [WORK_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$top/build}")
mb=${2:-2048}
work=$(realpath -m "${3:-$build/bench-backup}")
cmake --build "$build" --target bench_backup >/dev/null
bench="$build/tools/bench_datamgmt/bench_backup"
card="$work/card"
dest="$work/dest"
mkdir -p "$card" "$dest"
per=$((mb / 16))
for i in $(seq -w 0 15); do
  f="$card/202301011200$i.MP4"
  [ "$(stat -c %s "$f" 2>/dev/null || echo 0)" = $((per * 1048576)) ] || head -c $((per * 1048576)) /dev/urandom > "$f"
done
sync
total=$(du -sb "$card" | cut -f1)
echo "card: 16 recordings, $total bytes, into $(df --output=source,fstype "$dest" | tail -1)"

rate() { awk -v b="$total" -v s="$1" 'BEGIN { printf "%.1f MB/s", b / 1e6 / s }'; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b - a) / 1e9 }'; }

for round in 1 2 3; do
  rm -rf "$dest/cp"; mkdir -p "$dest/cp"; sync
  t0=$(date +%s%N); cp "$card"/*.MP4 "$dest/cp/"; t1=$(date +%s%N); sync -f "$dest/cp"; t2=$(date +%s%N)
  s1=$(seconds "$t0" "$t1"); s2=$(seconds "$t0" "$t2")
  echo "round $round: cp $s1 s = $(rate "$s1"); cp + sync $s2 s = $(rate "$s2")"
  rm -rf "$dest/cp"; sync
  echo -n "round $round: "; "$bench" copy "$card" "$dest"
  sync
done
"$bench" idle 5
# For scale: the same timer while cp copies the card in another process (the load a copy
# itself puts on the machine, without any work on the measured thread).
rm -rf "$dest/cp"; mkdir -p "$dest/cp"
( cp "$card"/*.MP4 "$dest/cp/" && sync -f "$dest/cp" ) & cpid=$!
echo -n "while cp runs, "; "$bench" idle 5
wait "$cpid"; rm -rf "$dest/cp"; sync
for round in 1 2; do QT_LOGGING_RULES="korvane.datamgmt.info=false" "$bench" stall "$card" "$dest"; sync; done
echo "(files stay in $work for the next run; remove it when done)"
