// The process-wide grass generator: one state for the whole run, starting
// from seed 1, as an unseeded C rand would.
#include "Core/Terrain/base/GrassRandom.h"

namespace Vorm {

GrassRandom& GrassRandom::Shared()
{
    static GrassRandom s_random;
    return s_random;
}

} // namespace Vorm
