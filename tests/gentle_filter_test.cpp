// Gentle mode's filter: what it promises, whatever the frames, at any frame rate.
#include "show/gentle_filter.h"
#include "show/virtual_clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Frames whose every pixel changes every frame, for two seconds: each pixel of a corner that
// holds every moment of the pattern four times changes at most seven times in any second (any
// eight of its changes span a second or more), always to the colour of a frame less than a
// period old once the first period is over.
TEST(GentleFilter, SevenChangesAtMostInAnySecondNoneStale) {
    constexpr int kCorner = 32;
    for (const uint32_t fps : {4u, 25u, 60u, 144u}) {
        const auto filter = std::make_unique<GentleFilter>();
        std::vector<std::vector<int32_t>> changes(kCorner * kCorner);
        for (uint64_t k = 0; frameMilliseconds(k, fps, 1) < 2000; ++k) {
            const int32_t ms = int32_t(frameMilliseconds(k, fps, 1));
            const std::vector<Pixel> frame(kScreenPixels, Pixel(k + 1));
            const std::vector<Pixel> before(filter->shown, filter->shown + kScreenPixels);
            const Pixel *shown = gentleFrame(*filter, frame.data(), ms);
            for (int y = 0; y < kCorner; ++y)
                for (int x = 0; x < kCorner; ++x) {
                    const int i = y * kScreenWidth + x;
                    std::vector<int32_t> &times = changes[y * kCorner + x];
                    if (shown[i] != before[i]) times.push_back(ms);
                    ASSERT_TRUE(times.size() < 8 || times.back() - times[times.size() - 8] >= 1000)
                        << fps << " fps: eight changes within a second at " << x << ", " << y;
                    const int32_t shownAt = int32_t(frameMilliseconds(shown[i] - 1, fps, 1));
                    ASSERT_TRUE(ms < kGentlePeriodMs || shownAt > ms - kGentlePeriodMs)
                        << fps << " fps: a stale colour at " << x << ", " << y << " at " << ms;
                }
        }
    }
}
