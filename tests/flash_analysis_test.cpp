// The flash analysis against frame sequences whose flashes follow from WCAG 2.3.1's definitions,
// worked out here in floating point from the colours.
#include "render/flash_analysis.h"
#include "show/frame_passes.h"
#include "show/virtual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Colour {
    int r, g, b;
};

// An sRGB component's linear value.
double linear(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance.
double luminance(Colour c) {
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

// R / (R + G + B) >= 0.8, and (R - G - B) x 320 with negatives as 0.
bool saturatedRed(Colour c) {
    const double sum = linear(c.r) + linear(c.g) + linear(c.b);
    return sum > 0 && linear(c.r) / sum >= 0.8;
}
double redValue(Colour c) {
    return std::max(0.0, (linear(c.r) - linear(c.g) - linear(c.b)) * 320);
}

// The least luminous colour at or above target within three steps of a grey in each component.
Colour atLeast(double target) {
    Colour best{255, 255, 255};
    for (int r = 0; r < 256; ++r)
        for (int g = std::max(0, r - 3); g <= std::min(255, r + 3); ++g)
            for (int b = std::max(0, r - 3); b <= std::min(255, r + 3); ++b) {
                const double l = luminance({r, g, b});
                if (l >= target && l < luminance(best)) best = {r, g, b};
            }
    return best;
}

// One sequence: a square of side (0: the whole screen) in the middle of black, first in colour
// on, then alternating with off, flashes times a second, for the first second at 60 fps.
struct Sequence {
    const char *what;
    Colour on, off;
    int flashes, side;
};

// Flashes in the second from the definitions: black to on, then each change between on and off,
// is a transition of a kind when it passes that kind's test; both kinds are counted only where
// a quarter of a 213 x 160 field flashes.
uint32_t expected(const Sequence &s, bool red) {
    const auto passes = [red](Colour a, Colour b) {
        if (red)
            return (saturatedRed(a) || saturatedRed(b)) &&
                   std::fabs(redValue(a) - redValue(b)) > 20;
        return std::fabs(luminance(a) - luminance(b)) >= 0.1 &&
               std::min(luminance(a), luminance(b)) < 0.8;
    };
    const int changes = 2 * s.flashes - 1;
    const int transitions = int(passes({0, 0, 0}, s.on)) + changes * int(passes(s.on, s.off));
    const int area = s.side == 0 ? kScreenPixels : s.side * s.side;
    return 4 * area >= kFieldWidth * kFieldHeight ? uint32_t(transitions / 2) : 0;
}

}  // namespace

TEST(FlashAnalysis, KnownSequences) {
    const Colour black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, pink{255, 140, 140};
    const Colour grey{200, 200, 200};
    const Sequence sequences[] = {
        {"black-white, 2 a second", white, black, 2, 0},
        {"black-white, 3 a second", white, black, 3, 0},
        {"black-white, 4 a second", white, black, 4, 0},
        {"black-white, 10 a second", white, black, 10, 0},
        {"a 90 x 90 square, below the area", white, black, 10, 90},
        {"a 95 x 95 square, above the area", white, black, 10, 95},
        {"a change of 0.09", grey, atLeast(luminance(grey) - 0.09), 10, 0},
        {"the darker state at 0.8", white, atLeast(0.8002), 10, 0},
        {"the darker state just below 0.8", white, atLeast(0.799), 10, 0},
        {"saturated red and a grey as bright", red, atLeast(luminance(red)), 10, 0},
        {"desaturated red and a grey as bright", pink, atLeast(luminance(pink)), 10, 0},
    };
    FlashAnalysis analysis;
    std::vector<Pixel> frames[2];  // on, off
    for (const Sequence &s : sequences) {
        const int w = s.side ? s.side : kScreenWidth, h = s.side ? s.side : kScreenHeight;
        for (const bool on : {true, false}) {
            const Colour c = on ? s.on : s.off;
            frames[on].assign(kScreenPixels, 0);
            for (int y = (kScreenHeight - h) / 2; y < (kScreenHeight + h) / 2; ++y)
                std::fill_n(&frames[on][y * kScreenWidth + (kScreenWidth - w) / 2], w,
                            Pixel(c.r << 16 | c.g << 8 | c.b));
        }
        startFlashAnalysis(analysis, 0);
        for (uint64_t k = 0; k < 60; ++k) {
            const uint32_t ms = frameMilliseconds(k, 60, 1);
            analyseFrame(analysis, frames[ms * 2 * s.flashes / 1000 % 2 == 0].data(), ms);
        }
        finishFlashAnalysis(analysis);
        ASSERT_EQ(analysis.seconds.size(), 1u) << s.what;
        const FlashSecond &second = analysis.seconds[0];
        const uint32_t wantGeneral = expected(s, false), wantRed = expected(s, true);
        EXPECT_EQ(second.general.flashes, wantGeneral) << s.what << ": general flashes";
        EXPECT_EQ(second.red.flashes, wantRed) << s.what << ": red flashes";
        EXPECT_EQ(secondFails(second), wantGeneral > 3 || wantRed > 3) << s.what << ": the verdict";
    }
}
