#ifndef VORM_CORE_TERRAIN_BASE_GRASSRANDOM_H
#define VORM_CORE_TERRAIN_BASE_GRASSRANDOM_H

// Random numbers 0..32767 for the grass jitter: the classic linear
// congruential generator, so every platform and every run places the same grass.
#include <cstdint>

namespace Vorm {

class GrassRandom
{
public:
    static constexpr int kMax = 32767;

    GrassRandom() : m_state(1) {}

    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

    // The process-wide generator, starting from seed 1 like an unseeded rand.
    static GrassRandom& Shared();

private:
    std::uint32_t m_state;
};

} // namespace Vorm

#endif
