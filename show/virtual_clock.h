// The show's clock when its frames are computed rather than watched: the main routine's two
// start reads give 0, then each read is the next frame's time, floor(k x 1000 / fps) ms for
// frame k = 0, 1, 2, ..., held at the show's end. glaxen-render and the same-show check run the
// main routine on it, so one seed gives the same frames wherever they are computed.
#pragma once

#include <cstdint>

// Milliseconds of frame k at fpsNum / fpsDen frames a second, saturating at UINT32_MAX. Exact
// in 64-bit integers for every k and every fraction of 32-bit terms.
uint32_t frameMilliseconds(uint64_t k, uint32_t fpsNum, uint32_t fpsDen);

// What the clock reads for frame k: its milliseconds, held at the show's end.
uint32_t frameTime(uint64_t k, uint32_t fpsNum, uint32_t fpsDen);

// The first frame whose time is at or after ms: ceil(ms x fps / 1000), in integers.
uint64_t firstFrameAt(uint32_t ms, uint32_t fpsNum, uint32_t fpsDen);

struct VirtualClock {
    uint32_t fpsNum = 60;  // frames a second, as a fraction
    uint32_t fpsDen = 1;
    uint64_t reads = 0;  // reads so far
    uint64_t frame = 0;  // the frame being computed: the latest read's
    uint32_t now = 0;    // its milliseconds
};

// The next read of the clock.
uint32_t virtualClockRead(VirtualClock &clock);
