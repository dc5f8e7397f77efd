#include "Rng.h"

namespace assetgen {

uint64_t Rng::next()
{
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform()
{
    // 53 random bits give an exactly representable double.
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::below(int n)
{
    return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n));
}

} // namespace assetgen
