#!/usr/bin/env bash
# Runs every benchmark of a build and prints its figures.
set -euo pipefail
build=${1:-build-release}
export QT_QPA_PLATFORM=offscreen
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
# Throughput of the instrument link against a running program, where it is built.
if [ -f scripts/bench-link.sh ]; then
  bash scripts/bench-link.sh "$build"
fi
