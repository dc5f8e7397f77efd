#!/usr/bin/env bash
# Installs what is missing, builds, and runs the world demo from its own
# folder so that it finds its data at ../data/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ ! -x build/world_demo ]; then
  echo "The demo program is not part of the engine yet: the engine, its tests and benchmarks were built."
  exit 0
fi
mkdir -p bin
cp build/world_demo bin/
cd bin && exec ./world_demo
