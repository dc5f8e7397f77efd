#!/usr/bin/env bash
# Writes the reference frames in tests/data/frames with the shaders of a
# commit (default HEAD) and everything else as it is now: run it when a
# scene or its flight changes, naming the commit whose shaders drew the
# pictures the current ones must match.
#   scripts/reference-frames.sh [commit]
set -euo pipefail
cd "$(dirname "$0")/.."
commit=${1:-HEAD}
effects=$(mktemp -d)
trap 'rm -rf "$effects"' EXIT
git archive "$commit" data/effects | tar -x -C "$effects"

export MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vorm_gltests
mkdir -p tests/data/frames
VORM_WRITE_REFERENCE_FRAMES=1 VORM_REFERENCE_EFFECTS="$effects/data/effects" \
  xvfb-run -a -s "-screen 0 1024x768x24" build/tests/vorm_gltests --gtest_filter='ReferenceFramesTest.*'
