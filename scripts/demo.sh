#!/usr/bin/env bash
# Shows Vespira receiving a scan from the instrument simulator: a 51 x 51 pattern filled
# at about 200 points a second. Without a display it runs on a virtual one and leaves
# the saved pattern and a screenshot in demo-output/.
set -euo pipefail
build=${1:-build}
vespira="$build/app/vespira"
sim="$build/tools/orma-sim/orma-sim"
out="$PWD/demo-output"

for program in "$vespira" "$sim"; do
  if [ ! -x "$program" ]; then
    echo "demo: $program is missing; build first (make build)" >&2
    exit 1
  fi
done

if [ -z "${DISPLAY:-}" ] && [ -z "${VESPIRA_DEMO_HEADLESS:-}" ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "demo: no display and no xvfb-run (Debian package xvfb)" >&2
    exit 1
  fi
  echo "demo: no display, running on a virtual one (xvfb-run)"
  VESPIRA_DEMO_HEADLESS=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build"
fi

mkdir -p "$out"
source "$(dirname "$0")/vespira-session.sh"
start_session "$out/vespira.log"

echo "demo: scanning a 51 x 51 sample at 200 points per second..."
rm -f "$out/scan.rad"
"$sim" scan --x -5:5:0.2 --y -5:5:0.2 --rate 200 --save "$out/scan.rad"

if [ -n "${VESPIRA_DEMO_HEADLESS:-}" ]; then
  sleep 1 # let the last cells reach the screen
  if command -v import >/dev/null; then
    import -window root "$out/screenshot.png"
    echo "demo: screenshot in $out/screenshot.png"
  else
    echo "demo: no screenshot: 'import' (Debian package imagemagick) is not installed" >&2
  fi
else
  echo "demo: the pattern stays on screen for 10 s"
  sleep 10
fi
echo "demo: pattern saved to $out/scan.rad"
