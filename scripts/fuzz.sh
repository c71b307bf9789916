#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan and runs each for FUZZ_SECONDS
# (default 60) from its seed corpus in fuzz/corpus/, one process at a time. Prints the
# executions of each target and their total; any finding stops the run with its input
# left in fuzz-build/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'ok installed'; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
build=fuzz-build
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPIRA_FUZZ=ON >/dev/null
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
# Start-up settings and look-up tables must come from the fuzzer only.
export XDG_CONFIG_HOME="$PWD/$build/config"
unset ORMA_SYSDATA
mkdir -p "$build/findings" "$XDG_CONFIG_HOME"

# The targets take grids of up to about a million points (a fixed memory figure); writing
# and reading one back under the sanitizers takes a second or two, far inside the time-out.
# target, corpus folder, longest input
targets=(
  "fuzz_pattern_reader pattern_reader 65536"
  "fuzz_lookup_table lookup_table 8192"
  "fuzz_remote_commands remote_commands 400"
  "fuzz_settings settings 4096"
  "fuzz_live_view_requests live_view_requests 16384"
  "fuzz_target_csv target_csv 65536"
  "fuzz_nexus_map nexus_map 512"
  "fuzz_scan_journal scan_journal 65536"
  "fuzz_range_options range_options 4096"
)
total=0
for entry in "${targets[@]}"; do
  read -r target seeds maxLen <<<"$entry"
  corpus="$build/corpus/$seeds"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$seeds"/* "$corpus"/
  log="$build/$target.log"
  echo "== $target (${FUZZ_SECONDS:-60} s)"
  if ! "$build/fuzz/$target" "$corpus" -max_total_time="${FUZZ_SECONDS:-60}" \
      -max_len="$maxLen" -timeout=60 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target found a fault; the input is in $build/findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "   ${runs:-0} executions"
  total=$((total + ${runs:-0}))
done
echo "fuzz: $total executions in all, no finding"
