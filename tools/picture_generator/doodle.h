// Doodle picture: dense black line art of seasonal motifs on white; needs grey_image.h.
#pragma once

#include "grey_image.h"

#include <cstdint>

// Draws the doodle until only whiteTarget of the pixels stay pure white.
GreyImage drawDoodle(int width, int height, std::uint64_t seed, double whiteTarget);
