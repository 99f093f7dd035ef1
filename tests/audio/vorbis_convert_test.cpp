// Tests of the decoder's conversions: the downmix weights, and the rate converter's length,
// level, frequency, filtering, timing and independence of how the source arrives.
#include "audio/vorbis_convert.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

// Each channel's weights on the left and the right. Sides L, R count 1 and centres 0.5, each
// side divided by its total: LCR totals 1.5 a side, 5.1 (L C R RL RR LFE) 3, 7.1 (L C R SL SR RL
// RR LFE) 4; over eight channels, all are centres.
TEST(Convert, DownmixPutsEachChannelOnItsSide) {
    const float third = 1.0f / 3, sixth = 1.0f / 6, tenth = 0.1f;
    const std::pair<int, std::vector<float>> cases[] = {
        {1, {1, 1}},
        {2, {1, 0, 0, 1}},
        {3, {2 * third, 0, third, third, 0, 2 * third}},
        {4, {0.5f, 0, 0, 0.5f, 0.5f, 0, 0, 0.5f}},
        {6, {third, 0, sixth, sixth, 0, third, third, 0, 0, third, sixth, sixth}},
        {8,
         {0.25f, 0, 0.125f, 0.125f, 0, 0.25f, 0.25f, 0, 0, 0.25f, 0.25f, 0, 0, 0.25f, 0.125f,
          0.125f}},
        {10, std::vector<float>(20, tenth)}};
    for (const auto &[channels, weights] : cases) {
        // Channel c carries 1.0 in frame c, so frame c of the output holds its weights.
        std::vector<float> planes(channels * channels, 0.0f), stereo(2 * channels, -9.0f);
        std::vector<const float *> planar;
        for (int c = 0; c < channels; ++c) planar.push_back(planes.data() + c * channels);
        for (int c = 0; c < channels; ++c) planes[c * channels + c] = 1.0f;
        downmixToStereo(planar.data(), channels, channels, stereo.data());
        for (size_t i = 0; i < stereo.size(); ++i)
            EXPECT_NEAR(stereo[i], weights[i], 1e-6)
                << channels << " channels, channel " << i / 2 << (i % 2 ? ", right" : ", left");
    }
}

TEST(Convert, TheLengthCoversTheSourcesDuration) {
    // Source frames, rate, output frames.
    const std::tuple<int64_t, int, int64_t> cases[] = {
        {44100, 44100, 44100}, {0, 8000, 0},  {8000, 8000, 44100}, {1, 8000, 6},
        {96000, 96000, 44100}, {1, 96000, 1}, {3, 88200, 2},       {476280000, 48000, 437582250}};
    for (const auto &[source, rate, output] : cases)
        EXPECT_EQ(resampledLength(source, rate), output)
            << source << " frames at " << rate << " Hz";
}

// Runs source (interleaved stereo) through a converter in pushes of chunk frames; all output.
std::vector<float> convert(const std::vector<float> &source, int rate, int chunk) {
    StereoResampler r;
    resamplerStart(r, rate, 0);
    std::vector<float> out, buffer(2 * 512);
    for (int64_t pushed = 0; !resamplerDone(r);) {
        const int got = resamplerPull(r, buffer.data(), 512);
        out.insert(out.end(), buffer.begin(), buffer.begin() + 2 * got);
        if (got == 512) continue;
        const auto count =
            static_cast<int>(std::min<int64_t>(chunk, int64_t(source.size() / 2) - pushed));
        count ? resamplerPush(r, source.data() + 2 * pushed, count) : resamplerEnd(r);
        pushed += count;
    }
    return out;
}

// A stereo sine: left at hz, right at hz with the opposite sign.
std::vector<float> stereoSine(double hz, double amplitude, int64_t frames, int rate) {
    std::vector<float> s(2 * frames);
    for (int64_t i = 0; i < frames; ++i)
        s[2 * i + 1] = -(s[2 * i] = sineAt(hz, amplitude, i, rate));
    return s;
}

class RateConversion : public testing::TestWithParam<int> {};

// At 44100 Hz the converter copies; at other rates it keeps the length, level and frequency,
// puts an impulse where its time falls, and gives the same output however the source arrives.
// (Starts midway are the decoder's seeks.)
TEST_P(RateConversion, KeepsLengthLevelPitchAndTimingHoweverTheSourceArrives) {
    const int rate = GetParam(), bin = 60;  // 1292 Hz: below every tested source's Nyquist rate
    const int64_t frames = rate / 2;
    std::vector<float> source = stereoSine(binHz(bin), 0.8, frames, rate);
    const std::vector<float> whole = convert(source, rate, 1000);
    ASSERT_EQ(static_cast<int64_t>(whole.size()) / 2, resampledLength(frames, rate))
        << "output frames";
    EXPECT_EQ(rate == 44100 ? firstDifference(whole, source) : "", "") << "a copy";
    for (int channel : {0, 1}) {
        const std::vector<float> s = spectrumAt(whole, 8000, channel);
        EXPECT_EQ(peakBin(s), bin) << "channel " << channel;
        EXPECT_NEAR(s[bin], 0.4, 0.004) << "channel " << channel << ": level at the bin";
    }
    for (int chunk : {1, 7, 333, kResamplerPushFrames})
        EXPECT_EQ(firstDifference(convert(source, rate, chunk), whole), "")
            << "in pushes of " << chunk;
    // An impulse at 0.2 s alone, frame 8820 at 44100 Hz.
    std::fill(source.begin(), source.end(), 0.0f);
    source[2 * (rate / 5)] = source[2 * (rate / 5) + 1] = 1.0f;
    const std::vector<float> out = convert(source, rate, 999);
    const auto loudest = std::max_element(
        out.begin(), out.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_NEAR(double(loudest - out.begin()) / 2, 8820.0, 1.0) << "frame of the impulse's peak";
}

INSTANTIATE_TEST_SUITE_P(Convert, RateConversion,
                         testing::Values(8000, 11025, 22050, 32000, 44100, 48000, 96000));

// 30 kHz would fold back to 14.1 kHz at 44100 Hz (200 frames at each end are the filter's edges).
TEST(Convert, FromNinetySixKilohertzTonesAboveTheOutputsRangeAreFilteredOut) {
    const std::vector<float> out = convert(stereoSine(30000.0, 0.9, 48000, 96000), 96000, 4096);
    const auto [low, high] = std::minmax_element(out.begin() + 400, out.end() - 400);
    EXPECT_LT(std::max(-*low, *high), 0.01f) << "the folded tone";
}

}  // namespace
