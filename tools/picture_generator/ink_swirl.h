// Ink swirl picture: dark, densely hatched vortices in the full range of greys; needs grey_image.h.
#pragma once

#include "grey_image.h"

#include <cstdint>

// Draws the swirling ink picture.
GreyImage drawInkSwirl(int width, int height, std::uint64_t seed);
