// Rng: a small deterministic pseudo-random generator (splitmix64).
// Every asset draws from its own fixed seed so the bytes never change between runs.
#pragma once
#include <cstdint>

namespace assetgen {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Integer in [0, n).
    int below(int n);

private:
    uint64_t state_;
};

} // namespace assetgen
