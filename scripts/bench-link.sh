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

work=$(mktemp -d /tmp/vespira-bench.XXXXXX)
chmod 700 "$work"
export VESPIRA_PIPE_DIR="$work"
export XDG_CONFIG_HOME="$work/config"
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

QT_QPA_PLATFORM=offscreen "$vespira" /NOS >"$work/vespira.log" 2>&1 &
pid=$!
for _ in $(seq 1 30); do
  if "$sim" send --connect-timeout 1 --reply-timeout 5 5 >/dev/null 2>&1; then
    break
  fi
done

echo "== remote command link (orma-sim bench, 1000 x 1000 pattern)"
"$sim" bench --grid 1000 --count "${BENCH_LINK_COUNT:-20000}"
