// Rng: a small seeded xorshift64* generator so every run draws the same pictures; no dependencies.
#pragma once

#include <cstdint>

struct Rng {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
};

// Makes a generator from a seed (any value, zero included).
inline Rng makeRng(std::uint64_t seed) {
    Rng rng;
    rng.state = seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull;
    if (rng.state == 0) rng.state = 1;
    return rng;
}

// Next 64 random bits.
inline std::uint64_t nextBits(Rng &rng) {
    rng.state ^= rng.state >> 12;
    rng.state ^= rng.state << 25;
    rng.state ^= rng.state >> 27;
    return rng.state * 0x2545F4914F6CDD1Dull;
}

// Uniform double in [0, 1).
inline double unit(Rng &rng) {
    return static_cast<double>(nextBits(rng) >> 11) * 0x1.0p-53;
}

// Uniform double in [lo, hi).
inline double uniform(Rng &rng, double lo, double hi) {
    return lo + (hi - lo) * unit(rng);
}

// Uniform integer in [lo, hi], both ends included.
inline int uniformInt(Rng &rng, int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(hi - lo + 1);
    return lo + static_cast<int>(nextBits(rng) % span);
}
