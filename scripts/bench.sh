#!/usr/bin/env bash
# Runs every benchmark of a build and prints its figures.
set -euo pipefail
build=${1:-build-release}
export QT_QPA_PLATFORM=offscreen
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  if [ "$(basename "$b")" = bench_plot3d ]; then
    # The 3D chart needs OpenGL: a virtual X display where there is one.
    if command -v xvfb-run >/dev/null; then
      QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$b"
    else
      echo "skipped: needs xvfb-run for OpenGL"
    fi
    continue
  fi
  "$b"
done
# Throughput of the instrument link against a running program, where it is built.
if [ -f scripts/bench-link.sh ]; then
  bash scripts/bench-link.sh "$build"
fi
# The live view beside it: throughput with viewers, lag and bytes per viewer.
if [ -f scripts/bench-live-view.sh ]; then
  bash scripts/bench-live-view.sh "$build"
fi
