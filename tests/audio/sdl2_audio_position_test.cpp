// Tests of the audio layer's position arithmetic: the heard position from the device's
// hand-overs, freezing it, and the ring of decoded frames by stream position.
#include "platform/sdl2/sdl2_audio_position.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int64_t kMs = 1'000'000;  // nanoseconds

struct HeardCase {
    const char *name;
    int latency;
    bool handedOver;
    int64_t start;
    int frames;
    int64_t elapsedNs;  // from the hand-over to the question
    int64_t heard;
};

class Heard : public testing::TestWithParam<HeardCase> {};

TEST_P(Heard, IsTheBufferStartLessTheLatencyPlusTheTimeSince) {
    const HeardCase c = GetParam();
    PlaybackClock clock;
    clockReset(clock, c.latency);
    const int64_t handOver = 5'000 * kMs;
    if (c.handedOver) clockHandOver(clock, c.start, c.frames, handOver);
    EXPECT_EQ(heardFrame(clock, handOver + c.elapsedNs), c.heard) << c.name;
}

// 10 ms at 44100 Hz is 441 frames.
INSTANTIATE_TEST_SUITE_P(
    Position, Heard,
    testing::Values(HeardCase{"before any hand-over", 1024, false, 0, 0, 0, -1024},
                    HeardCase{"before any hand-over, later", 1024, false, 0, 0, 50 * kMs, -1024},
                    HeardCase{"at the first hand-over", 1024, true, 0, 1024, 0, -1024},
                    HeardCase{"10 ms after it", 1024, true, 0, 1024, 10 * kMs, -583},
                    HeardCase{"at a later hand-over", 1024, true, 10240, 1024, 0, 9216},
                    HeardCase{"10 ms after that", 1024, true, 10240, 1024, 10 * kMs, 9657},
                    HeardCase{"a late hand-over holds", 1024, true, 10240, 1024, 500 * kMs, 10240},
                    HeardCase{"a clock that went back", 1024, true, 10240, 1024, -3 * kMs, 9216},
                    HeardCase{"no latency", 0, true, 2048, 512, 5 * kMs, 2048 + 220},
                    HeardCase{"hours in", 2048, true, 476'280'000, 2048, 1 * kMs,
                              476'280'000 - 2048 + 44}),
    [](const auto &test) { return testName(test.param.name); });

TEST(Position, FreezingHoldsTheHeardFrame) {
    PlaybackClock clock;
    clockReset(clock, 1024);
    clockHandOver(clock, 44100, 1024, 0);
    const int64_t at = heardFrame(clock, 12 * kMs);
    clockFreeze(clock, 12 * kMs);
    for (int64_t later : {12 * kMs, 13 * kMs, 900 * kMs})
        EXPECT_EQ(heardFrame(clock, later), at) << "at " << later / kMs << " ms";
    EXPECT_EQ(at, 44100 - 1024 + 529) << "12 ms after the hand-over";
}

TEST(Position, AResetClockHearsTheFrameOneLatencyBeforeTheStart) {
    PlaybackClock clock;
    clockHandOver(clock, 99999, 512, 7);
    clockReset(clock, 256);
    EXPECT_EQ(heardFrame(clock, 1000 * kMs), -256);
}

// A ring of capacity 8 holding stream frames 0..end-1, each frame's left value frame + 1 and
// right value -(frame + 1), so a 0 marks silence.
StreamRing ringThrough(int64_t end) {
    StreamRing ring;
    ringAllocate(ring, 5);
    while (ring.end < end) {
        int space = 0;
        float *span = ringWriteSpan(ring, &space);
        const int count = static_cast<int>(std::min<int64_t>(space, end - ring.end));
        for (int i = 0; i < count; ++i) {
            span[2 * i] = static_cast<float>(ring.end + i + 1);
            span[2 * i + 1] = -span[2 * i];
        }
        ringCommit(ring, count);
    }
    return ring;
}

TEST(Position, TheRingRoundsItsCapacityUpToAPowerOfTwo) {
    StreamRing ring;
    for (int asked : {1, 5, 8, 9, 6000}) {
        ringAllocate(ring, asked);
        const int64_t expected = asked == 1 ? 1 : asked <= 8 ? 8 : asked == 9 ? 16 : 8192;
        EXPECT_EQ(ring.capacity, expected) << "asked for " << asked;
        EXPECT_EQ(ring.end, 0) << "asked for " << asked;
        EXPECT_EQ(ring.length, -1) << "asked for " << asked;
    }
}

TEST(Position, WritesStopAtTheWrap) {
    StreamRing ring = ringThrough(6);
    int space = 0;
    float *span = ringWriteSpan(ring, &space);
    EXPECT_EQ(space, 2) << "from slot 6 of 8";
    EXPECT_EQ(span, ring.frames.data() + 12);
    ringCommit(ring, 2);
    span = ringWriteSpan(ring, &space);
    EXPECT_EQ(space, 8) << "from slot 0 again";
    EXPECT_EQ(span, ring.frames.data());
}

struct CopyCase {
    const char *name;
    int64_t end, length;  // the ring's
    int64_t first;
    float gain;
    std::vector<float> left;  // expected left values; the right ones are their negatives
};

class RingCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(RingCopy, GivesHeldFramesAndSilenceElsewhere) {
    const CopyCase &c = GetParam();
    StreamRing ring = ringThrough(c.end);
    ring.length = c.length;
    const int count = static_cast<int>(c.left.size());
    std::vector<float> got(2 * count, 99.0f);
    ringCopy(ring, c.first, count, c.gain, got.data());
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(got[2 * i], c.left[i]) << c.name << ", left of frame " << c.first + i;
        EXPECT_EQ(got[2 * i + 1], -c.left[i]) << c.name << ", right of frame " << c.first + i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Position, RingCopy,
    testing::Values(CopyCase{"before the start", 6, -1, -3, 1.0f, {0, 0, 0, 1, 2}},
                    CopyCase{"across the wrap", 11, -1, 5, 1.0f, {6, 7, 8, 9, 10, 11}},
                    CopyCase{"overwritten history", 20, -1, 10, 1.0f, {0, 0, 13, 14}},
                    CopyCase{"not decoded yet", 20, -1, 18, 1.0f, {19, 20, 0, 0}},
                    CopyCase{"past the stream's end", 20, 19, 17, 1.0f, {18, 19, 0, 0}},
                    CopyCase{"scaled", 20, -1, 16, 0.5f, {8.5f, 9, 9.5f, 10}},
                    CopyCase{"silenced", 20, -1, 16, 0.0f, {0, 0, 0, 0}},
                    CopyCase{"far ahead", 20, -1, 1000, 1.0f, {0, 0}}),
    [](const auto &test) { return testName(test.param.name); });

TEST(Position, AnUnallocatedRingCopiesSilence) {
    const StreamRing ring;
    std::vector<float> got(8, 5.0f);
    ringCopy(ring, 0, 4, 1.0f, got.data());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], 0.0f) << "value " << i;
}

}  // namespace
