#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer (plus address and
# undefined-behaviour sanitizers) and runs it for a bounded time, adding new
# inputs to its saved corpus. Usage: scripts/fuzz.sh NAME [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=${2:-60}
bash scripts/install-deps.sh
if ! command -v clang++ >/dev/null; then
  apt-get install -y -qq clang libclang-rt-14-dev
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORM_SANITIZE=ON -DVORM_FUZZ=ON -DVORM_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_"$name"
mkdir -p fuzz/corpus/"$name"
cd build-fuzz && ASAN_OPTIONS=detect_leaks=0 ./fuzz/fuzz_"$name" -max_total_time="$seconds" \
  -print_final_stats=1 ../fuzz/corpus/"$name"
