#!/usr/bin/env bash
# Remote command throughput: starts Vespira without a display, has orma-sim show a
# 1000 x 1000 pattern in it and measure CHECKPIPE and NEWPOINT exchanges against the bare
# socket limit of the same machine; once without the scan journal and once with it, three
# times each in turn, so both see the same machine. The best of each is compared.
set -euo pipefail
build=${1:-build-release}
vespira="$build/app/vespira"
sim="$build/tools/orma-sim/orma-sim"
if [ ! -x "$vespira" ] || [ ! -x "$sim" ]; then
  echo "bench-link: $vespira or $sim is missing" >&2
  exit 1
fi

source "$(dirname "$0")/vespira-session.sh"

best_off=0
best_on=0
for round in 1 2 3; do
  for journal in off on; do
    echo "== remote command link (orma-sim bench, 1000 x 1000 pattern), scan journal $journal, round $round"
    VESPIRA_SCAN_JOURNAL=$journal QT_QPA_PLATFORM=offscreen start_session "$session_dir/vespira.log"
    out=$("$sim" bench --grid 1000 --count "${BENCH_LINK_COUNT:-20000}")
    stop_session
    echo "$out"
    rate=$(echo "$out" | awk '$1 == "NEWPOINT" { print $2 }')
    if [ "$journal" = off ]; then
      best_off=$(awk -v a="$best_off" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')
    else
      best_on=$(awk -v a="$best_on" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')
    fi
  done
done
awk -v off="$best_off" -v on="$best_on" 'BEGIN {
  printf "NEWPOINT without the scan journal %10.0f exchanges/s (best of 3)\n", off
  printf "NEWPOINT with the scan journal    %10.0f exchanges/s (best of 3)\n", on
  printf "with / without                    %10.2f\n", on / off
}'
