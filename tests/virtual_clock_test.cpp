// The virtual clock: exact frame times, saturation instead of overflow for any frame number,
// and the first frame at a time as the clock's exact inverse.
#include "show/show_frame.h"
#include "show/virtual_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

// floor(k x 1000 / fps) exactly, UINT32_MAX once it would not fit, however large k.
TEST(VirtualClock, FrameTimesAreExactAndSaturate) {
    const struct {
        uint64_t k;
        uint32_t num, den, want;
    } cases[] = {
        {0, 60, 1, 0},
        {7, 3, 1, 2333},
        {3, 2997, 100, 100},
        {8400, 60, 1, 140000},
        {4294967, 1, 1, 4294967000u},
        {4294968, 1, 1, UINT32_MAX},
        {257698037, 60, 1, 4294967283u},
        {257698038, 60, 1, UINT32_MAX},
        {429496729599, 100000000, 1, 4294967},
        {4294967295, 4294967295u, 1000, 1000000},
        {UINT64_MAX, 60, 1, UINT32_MAX},
        {18446744073709552, 1, 1, UINT32_MAX},  // k x 1000 would wrap to 384
        {UINT64_MAX, 4294967295u, 1, UINT32_MAX},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frameMilliseconds(c.k, c.num, c.den), c.want)
            << "frame " << c.k << " at " << c.num << "/" << c.den << " fps";
}

// The first frame at or after ms is at or after it, and the frame before it is before it.
TEST(VirtualClock, FirstFrameAtIsTheInverse) {
    const uint32_t rates[][2] = {{60, 1}, {2997, 100}, {1, 2}, {100000000, 1}, {7, 1000}};
    for (const auto &rate : rates)
        for (uint32_t ms : {0u, 1u, 16u, 17u, 91000u, 91001u, uint32_t(kShowLength), UINT32_MAX}) {
            const uint64_t k = firstFrameAt(ms, rate[0], rate[1]);
            EXPECT_TRUE(frameMilliseconds(k, rate[0], rate[1]) >= ms &&
                        (k == 0 || frameMilliseconds(k - 1, rate[0], rate[1]) < ms))
                << ms << " ms at " << rate[0] << "/" << rate[1] << ": frame " << k;
        }
}

// Two reads of 0, then one frame a read, held at the show's end.
TEST(VirtualClock, ReadsStepOneFrameAndHoldAtTheEnd) {
    VirtualClock clock{60, 1};
    const uint32_t want[] = {0, 0, 0, 16, 33, 50};
    for (uint32_t ms : want) EXPECT_EQ(virtualClockRead(clock), ms);
    EXPECT_EQ(clock.frame, 3u);
    clock.reads = 8400 + 3;
    EXPECT_EQ(virtualClockRead(clock), uint32_t(kShowLength));
    EXPECT_EQ(virtualClockRead(clock), uint32_t(kShowLength)) << "past the end";
    EXPECT_EQ(frameTime(UINT64_MAX, 60, 1), uint32_t(kShowLength));
}
