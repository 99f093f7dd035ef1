// Tests of the audio core's arithmetic: the spectrum function and the mono mix before it, the
// heard position from a device's hand-overs, freezing it, and the ring of decoded frames by
// stream position.
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// An impulse at sample n reads flat at the window's weight there, (1 - cos(2 pi n / N)) / N, in
// every bin: a window shifted by a sample, reversed or built over N - 1 points, a magnitude
// that drops the imaginary part, or another scale fails at some n.
TEST(Spectrum, AnImpulseReadsFlatAtTheWindowWeight) {
    for (int n : {0, 1, 2, 511, 1024, 1500, 2047}) {
        std::vector<float> samples(kSpectrumWindow, 0.0f);
        samples[n] = 1.0f;
        const std::vector<float> out = spectrumOf(samples.data());
        const double expected =
            (1.0 - std::cos(2 * std::numbers::pi * n / kSpectrumWindow)) / kSpectrumWindow;
        for (int k = 0; k < kSpectrumSize; ++k)
            EXPECT_NEAR(out[k], expected, expected * 1e-4 + 1e-12)
                << "impulse at " << n << ", bin " << k;
    }
}

TEST(Spectrum, MixToMonoTakesTheMeanOfTheChannels) {
    // Channels, interleaved frames, their means (within 4 ULPs).
    const std::tuple<int, std::vector<float>, std::vector<float>> cases[] = {
        {1, {0.5f, -0.25f, 1.0f}, {0.5f, -0.25f, 1.0f}},
        {2, {1.0f, 0.0f, 0.5f, 0.25f, -1.0f, -0.5f}, {0.5f, 0.375f, -0.75f}},
        {3, {0.3f, 0.6f, 0.9f, -0.3f, 0.0f, 0.0f}, {0.6f, -0.1f}}};
    for (const auto &[channels, interleaved, mono] : cases) {
        std::vector<float> got(mono.size(), 99.0f);
        mixToMono(interleaved.data(), static_cast<int>(got.size()), channels, got.data());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_FLOAT_EQ(got[i], mono[i]) << channels << " channels, frame " << i;
    }
}

constexpr int64_t kMs = 1'000'000;  // nanoseconds

TEST(Position, HeardIsTheBufferStartLessTheLatencyPlusTheTimeSinceTillFrozen) {
    // Latency, the buffer handed over at 5 s (start, frames; 0 frames: none), when after that the
    // clock froze (-1: never), the time from the hand-over to the question, and the frame heard.
    // 10 ms at 44100 Hz is 441 frames.
    const std::tuple<const char *, int, int64_t, int, int64_t, int64_t, int64_t> cases[] = {
        {"before any hand-over", 1024, 0, 0, -1, 0, -1024},
        {"before any hand-over, later", 1024, 0, 0, -1, 50 * kMs, -1024},
        {"at the first hand-over", 1024, 0, 1024, -1, 0, -1024},
        {"10 ms after it", 1024, 0, 1024, -1, 10 * kMs, -583},
        {"a late hand-over holds", 1024, 10240, 1024, -1, 500 * kMs, 10240},
        {"a clock that went back", 1024, 10240, 1024, -1, -3 * kMs, 9216},
        {"no latency", 0, 2048, 512, -1, 5 * kMs, 2048 + 220},
        {"hours in", 2048, 476'280'000, 2048, -1, 1 * kMs, 476'280'000 - 2048 + 44},
        {"frozen 12 ms after", 1024, 44100, 1024, 12 * kMs, 900 * kMs, 44100 - 1024 + 529}};
    for (const auto &[name, latency, start, frames, frozen, elapsed, heard] : cases) {
        PlaybackClock clock;
        clockReset(clock, latency);
        if (frames) clockHandOver(clock, start, frames, 5'000 * kMs);
        if (frozen >= 0) clockFreeze(clock, 5'000 * kMs + frozen);
        EXPECT_EQ(heardFrame(clock, 5'000 * kMs + elapsed), heard) << name;
    }
}

// A ring of capacity 8, used through frame 20, then started again at a frame and written
// through stream frame end - 1 in pieces of up to three frames, each frame's left value
// frame + 1 and its right one -(frame + 1), so a 0 marks silence. Frames the ring does not hold
// must not come from the earlier use.
TEST(Position, TheRingCopiesHeldFramesAndSilenceElsewhere) {
    // Where the ring started again, its end and length, the first frame asked for, the gain,
    // and the left values expected (the right ones are their negatives).
    const std::tuple<const char *, int64_t, int64_t, int64_t, int64_t, float, std::vector<float>>
        cases[] = {{"before the start", 0, 6, -1, -3, 1.0f, {0, 0, 0, 1, 2}},
                   {"across the wrap", 0, 11, -1, 5, 1.0f, {6, 7, 8, 9, 10, 11}},
                   {"overwritten history", 0, 20, -1, 10, 1.0f, {0, 0, 13, 14}},
                   {"not decoded yet", 0, 20, -1, 18, 1.0f, {19, 20, 0, 0}},
                   {"past the stream's end", 0, 20, 19, 17, 1.0f, {18, 19, 0, 0}},
                   {"scaled", 0, 20, -1, 16, 0.5f, {8.5f, 9, 9.5f, 10}},
                   {"before a later start", 14, 18, -1, 12, 1.0f, {0, 0, 15, 16, 17, 18}}};
    for (const auto &[name, start, end, length, first, gain, left] : cases) {
        StreamRing ring;
        ringAllocate(ring, 5);
        for (const auto &[from, through] : {std::pair<int64_t, int64_t>{0, 21}, {start, end}}) {
            ringRestart(ring, from);
            for (int space = 0; ring.end < through; ringCommit(ring, space)) {
                float *span = ringWriteSpan(ring, &space);
                space = static_cast<int>(std::min<int64_t>({space, 3, through - ring.end}));
                for (int i = 0; i < space; ++i) span[2 * i + 1] = -(span[2 * i] = ring.end + i + 1);
            }
        }
        ring.length = length;
        std::vector<float> got(2 * left.size(), 99.0f), expected;
        for (float value : left) expected.insert(expected.end(), {value, -value});
        ringCopy(ring, first, static_cast<int>(left.size()), gain, got.data());
        EXPECT_EQ(got, expected) << name << ", from frame " << first;
    }
}

}  // namespace
