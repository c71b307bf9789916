#!/usr/bin/env bash
# Shows what Vespira does on a fresh machine.
set -euo pipefail
build=${1:-build}
"$build"/tools/vespira-rad/vespira-rad info examples/disc.rad
