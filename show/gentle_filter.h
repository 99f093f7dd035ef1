// The gentle mode's presentation filter: the show's frames as shown to people who are sensitive
// to flashing. Each pixel takes the frame's colour once every kGentlePeriodMs, at a moment of
// its own, and shows that colour until its next moment; the moments follow a 16 x 16 pattern
// that spreads them evenly over the screen and over the period, so each frame refreshes an even
// sprinkling of pixels and a change of the whole picture dissolves in over one period. A pixel
// then changes colour at most seven times in any second, one more than the moments a second
// holds: at most seven transitions of luminance or of red, three flashes, whatever the
// colours, the area or the frame rate. The frame itself is only read. Integers only: the same
// pixels on every platform. Needs: show/frame_passes.h.
#pragma once

#include "common/pixel.h"
#include "show/frame_passes.h"

#include <cstdint>

constexpr int32_t kGentlePeriodMs = 167;  // 1000 / 6, rounded up: six moments in any second

// The filter's memory; all zero is the black screen before the show, at its time 0.
struct GentleFilter {
    Pixel shown[kScreenPixels];  // what the screen shows
    int32_t ms;                  // the latest frame's time
};

// frame as shown at ms, the show's time; returns filter.shown.
const Pixel *gentleFrame(GentleFilter &filter, const Pixel *frame, int32_t ms);
