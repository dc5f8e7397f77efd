#!/usr/bin/env bash
# Fails when a layer includes a header of a layer above it, or when code
# outside the platform layer includes SDL. The build's include folders make
# most of these fail to compile already; this names the offending line.
set -uo pipefail
cd "$(dirname "$0")/.."

status=0
check() { # folder, pattern, what
    local hits
    hits=$(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($2)" $1 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$3:"
        echo "$hits"
        status=1
    fi
}

check "include/Core src/Core" 'RenderGL/|WINGLApp/|Platform/|GL/|SDL' "core reaches up to GL, application or platform"
check "src/Render" 'WINGLApp/|Platform/|SDL' "GL renderer reaches up to the application or platform"
check "platform" 'Core/|RenderGL/|WINGLApp/' "platform layer reaches up into the engine"
check "src/App src/Sound src/*.cpp src/*.h include" 'SDL' "SDL outside the platform layer"

[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
