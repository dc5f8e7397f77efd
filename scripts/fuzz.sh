#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer (plus address and
# undefined-behaviour sanitizers) and runs it for a bounded time, adding new
# inputs to its saved corpus. Usage: scripts/fuzz.sh NAME [SECONDS]
# FUZZ_BUILD_DIR picks the build folder (default build-fuzz), so that several
# fuzz runs can build side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=${2:-60}
bash scripts/install-deps.sh
if ! command -v clang++ >/dev/null; then
  apt-get install -y -qq clang libclang-rt-14-dev
fi
build=${FUZZ_BUILD_DIR:-build-fuzz}
root=$(pwd)
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORM_SANITIZE=ON -DVORM_FUZZ=ON -DVORM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_"$name"
mkdir -p fuzz/corpus/"$name"
cd "$build" && ASAN_OPTIONS=detect_leaks=0 ./fuzz/fuzz_"$name" -max_total_time="$seconds" \
  -print_final_stats=1 "$root"/fuzz/corpus/"$name"
