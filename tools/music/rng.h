// Rng: a seeded splitmix64 generator so every render draws the same numbers; no dependencies.
#pragma once

#include <cstdint>

struct Rng {
    std::uint64_t state = 0;
};

// Makes a generator from a seed; equal seeds give equal sequences.
inline Rng makeRng(std::uint64_t seed) {
    return Rng{seed * 0x9E3779B97F4A7C15ull + 1};
}

// Next 64 random bits (splitmix64).
inline std::uint64_t nextBits(Rng &rng) {
    std::uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform double in [0, 1).
inline double nextUnit(Rng &rng) {
    return static_cast<double>(nextBits(rng) >> 11) * 0x1.0p-53;
}

// Uniform double in [lo, hi).
inline double nextRange(Rng &rng, double lo, double hi) {
    return lo + (hi - lo) * nextUnit(rng);
}

// Uniform double in [-1, 1): white noise.
inline double nextNoise(Rng &rng) {
    return nextUnit(rng) * 2.0 - 1.0;
}
