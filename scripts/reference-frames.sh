#!/usr/bin/env bash
# Writes the reference frames in tests/data/frames with the code and data as
# they are now: run it when a scene, its flight or the frame changes. The
# frames it writes are only as right as the code that drew them: look at
# each one (and at `git diff` against the previous references) before
# committing them.
#   scripts/reference-frames.sh
set -euo pipefail
cd "$(dirname "$0")/.."

export MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vorm_gltests
mkdir -p tests/data/frames
VORM_WRITE_REFERENCE_FRAMES=1 \
  xvfb-run -a -s "-screen 0 1024x768x24" build/tests/vorm_gltests --gtest_filter='ReferenceFramesTest.*'
echo "written: $(ls tests/data/frames/*.png | tr '\n' ' ')"
