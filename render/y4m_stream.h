// The YUV4MPEG2 stream glaxen-render writes: 640 x 480, 4:4:4, BT.601 limited range, the
// stream header once, then "FRAME\n" and the Y, U and V planes of each frame.
// Needs: show/frame_passes.h (the frame size).
#pragma once

#include "common/pixel.h"
#include "show/frame_passes.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Each frame's mark, and its size with the three planes.
constexpr char kY4mFrameMark[] = "FRAME\n";
constexpr size_t kY4mFrameBytes = sizeof kY4mFrameMark - 1 + 3 * size_t{kScreenPixels};

// The stream header for num/den frames per second.
std::string y4mHeader(uint32_t fpsNum, uint32_t fpsDen);

// "FRAME\n" and the Y, U and V planes of a frame, into out (kY4mFrameBytes).
void frameToY4m(const Pixel *frame, uint8_t *out);
