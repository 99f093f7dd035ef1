// The show's pseudo-random generator: the 32-bit linear congruential rand() of the
// platform the show was first made for, so one seed gives the same show everywhere.
// One process-wide state, reset by seedRandom(); nothing else keeps state.
#pragma once

#include <cstdint>

constexpr int kRandomMax = 0x7FFF;  // largest value nextRandom() returns

// Sets the generator's state to seed (srand).
void seedRandom(uint32_t seed);

// Next draw, 0 to 32767 (rand).
int nextRandom();

// One draw divided by 32768: 0 <= u < 1.
double randomUnit();
