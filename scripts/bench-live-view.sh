#!/usr/bin/env bash
# The live view against a running program: NEWPOINT throughput with 4 viewers connected
# against sharing off, side by side, three rounds each in turn (best of each compared);
# then a 1000 x 1000 scan at 5,000 points/s for BENCH_LIVE_SECONDS (default 30) with 4
# viewers: how far behind the program the page's changes arrive, and the bytes sent per
# viewer against the bytes of the points (4 per point for the intensity, 12 for X, Y
# and intensity).
set -euo pipefail
build=${1:-build-release}
vespira="$build/app/vespira"
sim="$build/tools/orma-sim/orma-sim"
viewers="$build/bench/live_view_viewers"
for f in "$vespira" "$sim" "$viewers"; do
  if [ ! -x "$f" ]; then
    echo "bench-live-view: $f is missing" >&2
    exit 1
  fi
done

source "$(dirname "$0")/vespira-session.sh"

port=$(( 20000 + RANDOM % 20000 ))
start_shared() {
  "$vespira" /NOS --share-live=$port >"$session_dir/vespira.log" 2>&1 &
  session_pid=$!
  for _ in $(seq 1 30); do
    if "$sim" send --connect-timeout 1 --reply-timeout 5 5 >/dev/null 2>&1; then break; fi
  done
  url=$(sed -n 's/^live view: //p' "$session_dir/vespira.log")
  [ -n "$url" ] || { echo "no live view address" >&2; cat "$session_dir/vespira.log" >&2; exit 1; }
}

best_off=0
best_on=0
for round in 1 2 3; do
  for sharing in off on; do
    echo "== NEWPOINT (orma-sim bench, 1000 x 1000), live view $sharing, round $round"
    viewer_pid=
    if [ "$sharing" = on ]; then
      QT_QPA_PLATFORM=offscreen start_shared
      "$viewers" --viewers 4 "$url" >"$session_dir/viewers.txt" 2>/dev/null &
      viewer_pid=$!
      sleep 1
    else
      QT_QPA_PLATFORM=offscreen start_session "$session_dir/vespira.log"
    fi
    out=$("$sim" bench --grid 1000 --count "${BENCH_LINK_COUNT:-20000}")
    if [ -n "$viewer_pid" ]; then kill "$viewer_pid"; wait "$viewer_pid" || true; fi
    stop_session
    rate=$(echo "$out" | awk '$1 == "NEWPOINT" { print $2 }')
    echo "NEWPOINT $rate exchanges/s"
    if [ "$sharing" = off ]; then
      best_off=$(awk -v a="$best_off" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')
    else
      best_on=$(awk -v a="$best_on" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')
    fi
  done
done

seconds=${BENCH_LIVE_SECONDS:-30}
echo "== 1000 x 1000 scan at 5000 points/s for $seconds s, 4 viewers"
QT_QPA_PLATFORM=offscreen start_shared
"$viewers" --viewers 4 "$url" >"$session_dir/viewers.txt" 2>/dev/null &
viewer_pid=$!
sleep 1
"$sim" scan --x 0:999:1 --y 0:999:1 --rate 5000 >/dev/null 2>&1 &
sim_pid=$!
sleep "$seconds"
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sleep 1
kill "$viewer_pid"
wait "$viewer_pid" || true
stop_session
cat "$session_dir/viewers.txt"

awk -v off="$best_off" -v on="$best_on" '
  $1 == "viewer" {
    n++; bytes += $4; points = ($6 > points ? $6 : points)
    if ($12 > lag) lag = $12
    if ($10 > p99) p99 = $10
  }
  END {
    printf "NEWPOINT, sharing off              %10.0f exchanges/s (best of 3)\n", off
    printf "NEWPOINT, 4 viewers                %10.0f exchanges/s (best of 3)\n", on
    printf "with viewers / without             %10.2f (target >= 0.9)\n", on / off
    printf "page behind the program, worst     %10d ms (p99 %d ms; target <= 1000)\n", lag, p99
    printf "points received in the scan        %10d\n", points
    printf "bytes per viewer                   %10.0f\n", bytes / n
    printf "  per point                        %10.2f\n", bytes / n / points
    printf "  / 4 bytes of intensity per point %10.2f (target <= 4)\n", bytes / n / (4 * points)
    printf "  / 12 bytes of X, Y, intensity    %10.2f\n", bytes / n / (12 * points)
  }' "$session_dir/viewers.txt"
