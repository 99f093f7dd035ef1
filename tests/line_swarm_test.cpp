// LineSwarm init and update: the scatter, the order of draws, bursts, the level cap and
// segments that wander far away.
#include "effect/line_swarm.h"

#include "common/random.h"
#include "common/truncate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

// Records every drawLine call, then draws as the swarm would.
struct RecordingSwarm : LineSwarm {
    struct Call {
        int x0, y0, x1, y1;
        Pixel colour;
    };
    std::vector<Call> calls;
    void drawLine(int x0, int y0, int x1, int y1, Pixel colour, Pixel *dst,
                  const Pixel *src) override {
        calls.push_back({x0, y0, x1, y1, colour});
        LineSwarm::drawLine(x0, y0, x1, y1, colour, dst, src);
    }
};

// Buffers of one show frame.
struct Frame {
    std::vector<Pixel> frame = std::vector<Pixel>(W * H, 0);
    std::vector<Pixel> picture = std::vector<Pixel>(W * H, 0x80);
    float spectrum[1024] = {};
};

}  // namespace

// Four fresh draws per segment, x1, y1, x2, y2, scaled by w and h; h bounds the lines.
TEST(LineSwarm, InitScattersFromTheGenerator) {
    seedRandom(1);
    LineSwarm swarm;
    swarm.init(W, H);
    EXPECT_EQ(swarm.height, H) << "the lines' bounds; the width is the filters' stride as well";
    EXPECT_FLOAT_EQ(swarm.lines[0].x1, 41 / 32768.0 * W);
    EXPECT_FLOAT_EQ(swarm.lines[0].y1, 18467 / 32768.0 * H);
    EXPECT_FLOAT_EQ(swarm.lines[0].x2, 6334 / 32768.0 * W);
    EXPECT_FLOAT_EQ(swarm.lines[0].y2, 26500 / 32768.0 * H);
}

// With silence: every segment is drawn where it was, from the last down, the first burst
// jolting segment 2999 by 0; then no burst ever again, the threshold staying at 0.2.
TEST(LineSwarm, SilenceJoltsOnlyOnceByZeroAndNeverBursts) {
    seedRandom(7);
    RecordingSwarm swarm;
    swarm.init(W, H);
    const std::vector<LineSegment> before(swarm.lines, swarm.lines + 3000);
    Frame f;
    swarm.update(f.frame.data(), f.picture.data(), f.spectrum);
    ASSERT_EQ(swarm.calls.size(), 3000u);
    for (int k = 0; k < 3000; ++k) {
        const LineSegment &s = before[2999 - k];
        const RecordingSwarm::Call &call = swarm.calls[k];
        ASSERT_TRUE(call.x0 == truncToInt(s.x1) && call.y0 == truncToInt(s.y1) &&
                    call.x1 == truncToInt(s.x2) && call.y1 == truncToInt(s.y2) &&
                    call.colour == 0xFFFFFF)
            << "call " << k << " is not segment " << 2999 - k << " unmoved";
    }
    EXPECT_EQ(swarm.burst, 0);
    // four init draws per segment; one jolt draw, four wander draws per segment, one trigger draw
    const int next = nextRandom();
    seedRandom(7);
    for (int i = 0; i < 4 * 3000 + 1 + 4 * 3000 + 1; ++i) nextRandom();
    EXPECT_EQ(next, nextRandom());
    for (int i = 0; i < 20; ++i) swarm.update(f.frame.data(), f.picture.data(), f.spectrum);
    EXPECT_EQ(swarm.level, 0.0f);
    EXPECT_EQ(swarm.threshold, 0.2) << "no burst may trigger in silence";
    EXPECT_EQ(swarm.burst, 0);
}

// level = F[500] * 3 + F[12] * 4, capped at 1; the update ends with filterC(frame, picture, 1),
// so a picture value of 255 gives white inside whatever was drawn.
TEST(LineSwarm, UpdateCapsTheLevelAndEndsWithFilterC) {
    const struct {
        float bin500, bin12, want;
    } cases[] = {{0.1f, 0.05f, 0.5f}, {0.2f, 0.1f, 1.0f}, {1e30f, 0, 1.0f}, {0, 40, 1.0f}};
    for (const auto &c : cases) {
        seedRandom(5);
        LineSwarm swarm;
        swarm.init(W, H);
        Frame f;
        f.picture.assign(W * H, 255);
        f.spectrum[500] = c.bin500;
        f.spectrum[12] = c.bin12;
        swarm.update(f.frame.data(), f.picture.data(), f.spectrum);
        EXPECT_FLOAT_EQ(swarm.level, c.want) << "F[500]=" << c.bin500 << " F[12]=" << c.bin12;
        EXPECT_EQ(f.frame[1 * W + 1], 0x00FFFFFFu) << "F[500]=" << c.bin500;
        EXPECT_EQ(f.frame[(H - 2) * W + W - 2], 0x00FFFFFFu) << "F[500]=" << c.bin500;
    }
}

// At full level bursts come, each adds 0.02 to the threshold and asks for 0 to 15 jolts.
TEST(LineSwarm, LoudMusicTriggersBurstsThatRaiseTheThreshold) {
    seedRandom(11);
    LineSwarm swarm;
    swarm.init(W, H);
    Frame f;
    f.spectrum[500] = 1;
    int bursts = 0;
    for (int i = 0; i < 50; ++i) {
        const double before = swarm.threshold;
        swarm.update(f.frame.data(), f.picture.data(), f.spectrum);
        if (swarm.threshold != before) {
            ++bursts;
            EXPECT_DOUBLE_EQ(swarm.threshold, before + 0.02);
            EXPECT_TRUE(swarm.burst >= 0 && swarm.burst <= 15) << swarm.burst;
        }
    }
    EXPECT_GT(bursts, 40) << "at level 1 nearly every frame bursts while the threshold is low";
}

// A segment far off the surface is not drawn, keeps wandering, and nothing overflows.
TEST(LineSwarm, FarAwaySegmentIsDroppedAndKeepsWandering) {
    seedRandom(13);
    RecordingSwarm swarm;
    swarm.init(W, H);
    swarm.count = 2;
    swarm.burst = 0;
    swarm.lines[1] = {5e9f, -5e9f, -5e9f, 5e9f};  // extents beyond the int range
    swarm.lines[0] = {1e30f, 5, -1e30f, 5};       // and far beyond
    Frame f;
    const LineSegment before = swarm.lines[1];
    for (int i = 0; i < 2; ++i) swarm.update(f.frame.data(), f.picture.data(), f.spectrum);
    ASSERT_EQ(swarm.calls.size(), 4u);
    for (const auto &call : swarm.calls)
        EXPECT_TRUE(call.x0 == INT32_MIN && call.x1 == INT32_MIN) << "not converted as truncToInt";
    // |trunc(1e10)| is INT32_MIN, so each step is u * INT32_MIN + 2^30: at most 2^30 either way,
    // and two steps cannot bring 5e9 back into the int range.
    const LineSegment &after = swarm.lines[1];
    EXPECT_NE(after.x1, before.x1);
    EXPECT_LE(std::fabs(double(after.x1) - before.x1), 2 * 1073741824.0 + 1024);
    EXPECT_TRUE(std::isfinite(after.x1) && std::isfinite(after.y2));
}
