#!/usr/bin/env bash
# Remote command throughput: starts Vespira without a display, has orma-sim show a
# 1000 x 1000 pattern in it and measure CHECKPIPE and NEWPOINT exchanges against the bare
# socket limit of the same machine.
set -euo pipefail
build=${1:-build-release}
vespira="$build/app/vespira"
sim="$build/tools/orma-sim/orma-sim"
if [ ! -x "$vespira" ] || [ ! -x "$sim" ]; then
  echo "bench-link: $vespira or $sim is missing" >&2
  exit 1
fi

source "$(dirname "$0")/vespira-session.sh"
QT_QPA_PLATFORM=offscreen start_session "$session_dir/vespira.log"

echo "== remote command link (orma-sim bench, 1000 x 1000 pattern)"
"$sim" bench --grid 1000 --count "${BENCH_LINK_COUNT:-20000}"
