#!/usr/bin/env bash
# Builds the pattern reader's fuzz target with clang, ASan and UBSan and runs it for a
# bounded time (FUZZ_SECONDS, default 60) from the example patterns.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'ok installed'; then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
build=fuzz-build
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPIRA_FUZZ=ON >/dev/null
cmake --build "$build"
corpus="$build/corpus"
mkdir -p "$corpus"
cp examples/*.rad "$corpus"/
"$build"/fuzz/fuzz_pattern_reader "$corpus" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -print_final_stats=1
