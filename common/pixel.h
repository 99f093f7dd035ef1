// Pixel: the show's 32-bit colour word, 0x00RRGGBB with blue in the low byte.
// The effect treats it as one integer and lets it wrap, so bits 31-24 may hold anything.
#pragma once

#include <cstdint>

using Pixel = uint32_t;
