#!/usr/bin/env bash
# Installs what is missing, builds, and runs the world demo from its own
# folder so that it finds its data at ../data/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

demo=world_demo
if [ "${1:-}" = "nature1" ]; then demo=nature1_demo; fi
if [ ! -x "build/$demo" ]; then
  echo "$demo is not built yet (it needs the window frame): the engine, its tests and benchmarks were built."
  exit 0
fi
# bin/ sits beside data/, so the program finds its files at ../data/.
mkdir -p bin
cp "build/$demo" bin/
cd bin && exec "./$demo"
