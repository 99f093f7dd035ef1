// The flash analysis of the show's frames as shown full screen at 640 x 480, after WCAG 2.3.1.
// Each pixel's relative luminance (from sRGB) and redness are followed frame by frame: a
// general transition is a change of luminance of at least 0.1 from the extreme since the last
// one, the darker state below 0.8; a red transition is a change of redness, (R - G - B) x 320
// where R / (R + G + B) >= 0.8 and 0 for any other colour, above 20; a flash is a pair of
// opposing transitions. A second's flashes in a field of view (any 213 x 160 rectangle: 10
// degrees of a 640 x 480 picture seen full screen, WCAG's 341 x 256 at 1024 x 768, scaled) are
// the most that a quarter of its pixels each made within the second; more than three of either
// kind fail the second. Needs: common/pixel.h, show/frame_passes.h.
#pragma once

#include "common/pixel.h"

#include <cstdint>
#include <vector>

constexpr int kFieldWidth = 213, kFieldHeight = 160;
constexpr uint32_t kMostFlashes = 3;  // a second with more fails

// A second's worst field for one kind of flash: its flashes and its top-left corner.
struct FieldFlashes {
    uint32_t flashes = 0;
    int x = 0, y = 0;
};

// One second of the show, from second x 1000 ms.
struct FlashSecond {
    uint32_t second = 0;
    FieldFlashes general, red;
};

// The analysis of one run. Everything is allocated when it starts.
struct FlashAnalysis {
    std::vector<uint32_t> tracks;                  // each pixel's luminance and redness tracks
    std::vector<uint32_t> generalTurns, redTurns;  // each pixel's transitions this second
    std::vector<uint32_t> sums;                    // the summed-area table of a field search
    int64_t second = -1;                           // the second being counted
    uint32_t firstSecond = 0;                      // the first second reported
    std::vector<FlashSecond> seconds;              // the seconds reported, in order
};

// Starts an analysis of frames from time 0 that reports the seconds from firstMs's on.
void startFlashAnalysis(FlashAnalysis &analysis, uint32_t firstMs);
// The next frame, shown at ms (never before the last one's).
void analyseFrame(FlashAnalysis &analysis, const Pixel *frame, uint32_t ms);
// Closes the last second.
void finishFlashAnalysis(FlashAnalysis &analysis);

// True when the second fails: more than kMostFlashes flashes of either kind in some field.
bool secondFails(const FlashSecond &second);
