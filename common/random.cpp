// The show's pseudo-random generator (see random.h).
#include "common/random.h"

namespace {
uint32_t state = 1;  // the C library's state before any seed
}

// Sets the generator's state to seed.
void seedRandom(uint32_t seed) {
    state = seed;
}

// state = state * 214013 + 2531011 (mod 2^32); the draw is bits 30-16.
int nextRandom() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & kRandomMax);
}

// One draw divided by 32768.
double randomUnit() {
    return nextRandom() / 32768.0;
}
