// Tests of the decoder's conversions: the downmix weights, and the rate converter's length,
// level, frequency, filtering, timing and independence of how the source arrives.
#include "platform/vorbis/vorbis_convert.h"
#include "show/spectrum.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- downmix

struct WeightCase {
    int channels;
    int channel;  // the one channel that carries 1.0
    float left, right;
};

class DownmixWeight : public testing::TestWithParam<WeightCase> {};

TEST_P(DownmixWeight, PutsEachChannelOnItsSide) {
    const WeightCase c = GetParam();
    std::vector<std::vector<float>> planes(c.channels, std::vector<float>(1, 0.0f));
    planes[c.channel][0] = 1.0f;
    std::vector<const float *> planar;
    for (const auto &plane : planes) planar.push_back(plane.data());
    float stereo[2] = {-9.0f, -9.0f};
    downmixToStereo(planar.data(), c.channels, 1, stereo);
    EXPECT_NEAR(stereo[0], c.left, 1e-6) << c.channels << " channels, channel " << c.channel
                                         << ": left expected " << c.left << ", got " << stereo[0];
    EXPECT_NEAR(stereo[1], c.right, 1e-6)
        << c.channels << " channels, channel " << c.channel << ": right expected " << c.right
        << ", got " << stereo[1];
}

// Sides L, R count 1 and centres 0.5, each side divided by its total: LCR totals 1.5 a side,
// 5.1 (L C R RL RR LFE) totals 3, 7.1 (L C R SL SR RL RR LFE) totals 4.
INSTANTIATE_TEST_SUITE_P(
    Convert, DownmixWeight,
    testing::Values(WeightCase{1, 0, 1.0f, 1.0f}, WeightCase{2, 0, 1.0f, 0.0f},
                    WeightCase{2, 1, 0.0f, 1.0f}, WeightCase{3, 0, 2.0f / 3, 0.0f},
                    WeightCase{3, 1, 1.0f / 3, 1.0f / 3}, WeightCase{4, 2, 0.5f, 0.0f},
                    WeightCase{4, 3, 0.0f, 0.5f}, WeightCase{6, 0, 1.0f / 3, 0.0f},
                    WeightCase{6, 1, 1.0f / 6, 1.0f / 6}, WeightCase{6, 2, 0.0f, 1.0f / 3},
                    WeightCase{6, 3, 1.0f / 3, 0.0f}, WeightCase{6, 5, 1.0f / 6, 1.0f / 6},
                    WeightCase{8, 5, 0.25f, 0.0f}, WeightCase{8, 6, 0.0f, 0.25f},
                    WeightCase{8, 7, 0.125f, 0.125f}, WeightCase{10, 4, 0.1f, 0.1f}),
    [](const auto &test) {
        return std::to_string(test.param.channels) + "_channels_channel_" +
               std::to_string(test.param.channel);
    });

// ---------------------------------------------------------------- rate conversion

struct LengthCase {
    int64_t source;
    int rate;
    int64_t output;
};

class ResampledLength : public testing::TestWithParam<LengthCase> {};

TEST_P(ResampledLength, CoversTheSourcesDuration) {
    const LengthCase c = GetParam();
    EXPECT_EQ(resampledLength(c.source, c.rate), c.output)
        << c.source << " frames at " << c.rate << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Convert, ResampledLength,
                         testing::Values(LengthCase{44100, 44100, 44100}, LengthCase{0, 8000, 0},
                                         LengthCase{8000, 8000, 44100}, LengthCase{1, 8000, 6},
                                         LengthCase{96000, 96000, 44100}, LengthCase{1, 96000, 1},
                                         LengthCase{3, 88200, 2},
                                         LengthCase{476280000, 48000, 437582250}),
                         [](const auto &test) {
                             return std::to_string(test.param.source) + "_at_" +
                                    std::to_string(test.param.rate);
                         });

// Runs source (interleaved stereo) through a converter in pushes of chunk frames; all output.
std::vector<float> convert(const std::vector<float> &source, int rate, int chunk) {
    StereoResampler r;
    resamplerStart(r, rate, 0);
    std::vector<float> out;
    std::vector<float> buffer(2 * 512);
    const int64_t frames = static_cast<int64_t>(source.size()) / 2;
    int64_t pushed = 0;
    for (;;) {
        const int got = resamplerPull(r, buffer.data(), 512);
        out.insert(out.end(), buffer.begin(), buffer.begin() + 2 * got);
        if (got == 512) continue;
        if (resamplerDone(r)) break;
        if (pushed == frames) {
            resamplerEnd(r);
            continue;
        }
        const int count = static_cast<int>(std::min<int64_t>(chunk, frames - pushed));
        resamplerPush(r, source.data() + 2 * pushed, count);
        pushed += count;
    }
    return out;
}

// A stereo sine: left at hz, right at hz with the opposite sign.
std::vector<float> stereoSine(double hz, double amplitude, int64_t frames, int rate) {
    std::vector<float> s(2 * frames);
    for (int64_t i = 0; i < frames; ++i) {
        s[2 * i] = sineAt(hz, amplitude, i, rate);
        s[2 * i + 1] = -s[2 * i];
    }
    return s;
}

// The spectrum of one channel of 2048 stereo frames from first on.
std::vector<float> channelSpectrum(const std::vector<float> &stereo, int64_t first, int channel) {
    std::vector<float> mono(kSpectrumWindow), out(kSpectrumSize);
    for (int i = 0; i < kSpectrumWindow; ++i) mono[i] = stereo[2 * (first + i) + channel];
    SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
    analyzeSpectrum(analyzer, mono.data(), out.data());
    destroySpectrumAnalyzer(analyzer);
    return out;
}

TEST(Convert, At44100HzTheOutputIsTheSource) {
    const std::vector<float> source = stereoSine(1234.5, 0.7, 5000, 44100);
    const std::vector<float> out = convert(source, 44100, 300);
    ASSERT_EQ(out.size(), source.size());
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], source[i]) << "value " << i << ": expected " << source[i];
}

class RateConversion : public testing::TestWithParam<int> {};

TEST_P(RateConversion, KeepsTheLengthTheLevelAndTheFrequency) {
    const int rate = GetParam();
    const int bin = 60;  // 1292 Hz: below every tested source's Nyquist rate
    const int64_t frames = rate / 2;
    const std::vector<float> out = convert(stereoSine(binHz(bin), 0.8, frames, rate), rate, 1000);
    ASSERT_EQ(static_cast<int64_t>(out.size()) / 2, resampledLength(frames, rate))
        << rate << " Hz: output frames";
    for (int channel : {0, 1}) {
        const std::vector<float> s = channelSpectrum(out, 8000, channel);
        const auto peak = std::max_element(s.begin(), s.end()) - s.begin();
        EXPECT_EQ(peak, bin) << rate << " Hz, channel " << channel << ": peak bin";
        EXPECT_NEAR(s[bin], 0.4, 0.004) << rate << " Hz, channel " << channel << ": level at bin";
    }
}

TEST_P(RateConversion, GivesTheSameOutputHoweverTheSourceArrives) {
    const int rate = GetParam();
    const std::vector<float> source = stereoSine(700.0, 0.5, rate / 3, rate);
    const std::vector<float> whole = convert(source, rate, kResamplerPushFrames);
    for (int chunk : {1, 7, 333}) {
        const std::vector<float> out = convert(source, rate, chunk);
        ASSERT_EQ(out.size(), whole.size()) << rate << " Hz in pushes of " << chunk;
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], whole[i]) << rate << " Hz in pushes of " << chunk << ", value " << i;
    }
}

TEST_P(RateConversion, PutsAnImpulseWhereItsTimeFalls) {
    const int rate = GetParam();
    const int64_t at = rate / 5;  // 0.2 s: frame 8820 at 44100 Hz
    std::vector<float> source(2 * static_cast<size_t>(rate / 2), 0.0f);
    source[2 * at] = source[2 * at + 1] = 1.0f;
    const std::vector<float> out = convert(source, rate, 999);
    size_t loudest = 0;
    for (size_t i = 0; i < out.size() / 2; ++i)
        if (std::abs(out[2 * i]) > std::abs(out[2 * loudest])) loudest = i;
    EXPECT_NEAR(double(loudest), 8820.0, 1.0) << rate << " Hz: frame of the impulse's peak";
}

TEST_P(RateConversion, StartingMidwayGivesTheOutputOfAStartFromZero) {
    const int rate = GetParam();
    const std::vector<float> source = stereoSine(2100.0, 0.6, rate / 2, rate);
    const std::vector<float> whole = convert(source, rate, 1024);
    for (int64_t first : {int64_t{1}, int64_t{777}, int64_t{12345}}) {
        StereoResampler r;
        resamplerStart(r, rate, first);
        ASSERT_GE(r.sourceFirst, 0);
        std::vector<float> out(2 * 1000);
        int64_t pushed = r.sourceFirst;
        int got = 0;
        while (got < 1000) {
            got += resamplerPull(r, out.data() + 2 * got, 1000 - got);
            if (got == 1000) break;
            ASSERT_LE(2 * (pushed + 256), static_cast<int64_t>(source.size()))
                << "source too short";
            resamplerPush(r, source.data() + 2 * pushed, 256);
            pushed += 256;
        }
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(out[i], whole[2 * first + i])
                << rate << " Hz from output frame " << first << ", value " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Convert, RateConversion,
                         testing::Values(8000, 11025, 22050, 32000, 48000, 96000),
                         testing::PrintToStringParamName());

TEST(Convert, FromNinetySixKilohertzTonesAboveTheOutputsRangeAreFilteredOut) {
    // 30 kHz would fold back to 14.1 kHz at 44100 Hz.
    const std::vector<float> out = convert(stereoSine(30000.0, 0.9, 48000, 96000), 96000, 4096);
    float loudest = 0.0f;
    for (size_t i = 2 * 200; i + 2 * 200 < out.size(); ++i)
        loudest = std::max(loudest, std::abs(out[i]));
    EXPECT_LT(loudest, 0.01f) << "the folded tone: expected below 0.01, got " << loudest;
}

}  // namespace
