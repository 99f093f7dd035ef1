// Tests of the spectrum read: bin-centre sines, window shape, mono mixing; needs GoogleTest.
#include "show/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// Owns one analyser for the length of a test.
struct AnalyzerHandle {
    SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
    ~AnalyzerHandle() { destroySpectrumAnalyzer(analyzer); }
};

// The periodic Hann weight of sample n, computed independently of the code under test.
double hann(int n) {
    return 0.5 * (1.0 - std::cos(2.0 * kPi * n / kSpectrumWindow));
}

// A sine of the given amplitude at the centre of bin k, starting at phase.
std::vector<float> binSine(int bin, double amplitude, double phase) {
    std::vector<float> samples(kSpectrumWindow);
    for (int n = 0; n < kSpectrumWindow; ++n) {
        const double angle = 2.0 * kPi * bin * n / kSpectrumWindow + phase;
        samples[n] = static_cast<float>(amplitude * std::sin(angle));
    }
    return samples;
}

// Runs the analyser over samples and returns the 1024 magnitudes.
std::vector<float> spectrumOf(const std::vector<float> &samples) {
    AnalyzerHandle handle;
    std::vector<float> out(kSpectrumSize, -1.0f);
    analyzeSpectrum(handle.analyzer, samples.data(), out.data());
    return out;
}

struct SineCase {
    int bin;
    double amplitude;
    double phase;
};

class BinCentreSine : public testing::TestWithParam<SineCase> {};

TEST_P(BinCentreSine, PeaksAtHalfTheAmplitudeAndStaysInItsMainLobe) {
    const SineCase c = GetParam();
    const std::vector<float> out = spectrumOf(binSine(c.bin, c.amplitude, c.phase));
    const double peak = c.amplitude * 0.5;
    EXPECT_NEAR(out[c.bin], peak, peak * 0.01)
        << "bin " << c.bin << ": expected " << peak << ", got " << out[c.bin];
    // A periodic Hann window spreads a bin-centre sine over exactly three bins: k and k +- 1
    // at half the peak; everything two or more bins away is rounding noise.
    for (int side : {-1, 1}) {
        const int k = c.bin + side;
        EXPECT_NEAR(out[k], peak * 0.5, peak * 0.005)
            << "neighbour bin " << k << ": expected " << peak * 0.5 << ", got " << out[k];
    }
    for (int k = 0; k < kSpectrumSize; ++k) {
        if (std::abs(k - c.bin) < 2) continue;
        EXPECT_LT(out[k], 0.01 * c.amplitude)
            << "bin " << k << " for a sine at bin " << c.bin << ": expected below "
            << 0.01 * c.amplitude << ", got " << out[k];
    }
}

INSTANTIATE_TEST_SUITE_P(Spectrum, BinCentreSine,
                         testing::Values(SineCase{5, 1.0, 0.0}, SineCase{12, 1.0, 0.3},
                                         SineCase{300, 1.0, 1.1}, SineCase{500, 1.0, 2.0},
                                         SineCase{20, 0.25, 0.7}, SineCase{1000, 0.5, 2.9}));

TEST(Spectrum, TwoBinsAwayIsBelowOnePercentForTheShowsBins) {
    for (int bin : {5, 12, 300, 500}) {
        const std::vector<float> out = spectrumOf(binSine(bin, 1.0, 0.5));
        EXPECT_NEAR(out[bin], 0.5, 0.005) << "bin " << bin << ": expected 0.5, got " << out[bin];
        EXPECT_LT(out[bin - 2], 0.01)
            << "bin " << bin - 2 << ": expected < 0.01, got " << out[bin - 2];
        EXPECT_LT(out[bin + 2], 0.01)
            << "bin " << bin + 2 << ": expected < 0.01, got " << out[bin + 2];
    }
}

TEST(Spectrum, SilenceGivesExactZeros) {
    const std::vector<float> out = spectrumOf(std::vector<float>(kSpectrumWindow, 0.0f));
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_EQ(out[k], 0.0f) << "bin " << k << ": expected exactly 0, got " << out[k];
    }
}

// An impulse at sample n has a flat spectrum whose height is the window weight at n, so this
// pins every tested weight: a window shifted by one sample, reversed, or built over N - 1
// points fails at the ends.
class ImpulseAt : public testing::TestWithParam<int> {};

TEST_P(ImpulseAt, GivesAFlatSpectrumAtTheWindowWeight) {
    const int n = GetParam();
    std::vector<float> samples(kSpectrumWindow, 0.0f);
    samples[n] = 1.0f;
    const std::vector<float> out = spectrumOf(samples);
    const double expected = hann(n) * 2.0 / kSpectrumWindow;
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_NEAR(out[k], expected, expected * 1e-4 + 1e-12)
            << "impulse at " << n << ", bin " << k << ": expected " << expected << ", got "
            << out[k];
    }
}

INSTANTIATE_TEST_SUITE_P(Spectrum, ImpulseAt, testing::Values(0, 1, 2, 511, 1024, 1500, 2047));

TEST(Spectrum, ConstantSignalReadsItsLevelTimesTheWindowMeanAtBinZero) {
    for (float level : {0.25f, -0.75f}) {
        const std::vector<float> out = spectrumOf(std::vector<float>(kSpectrumWindow, level));
        double windowSum = 0.0;
        for (int n = 0; n < kSpectrumWindow; ++n) windowSum += hann(n);
        const double expected = std::abs(level) * windowSum * 2.0 / kSpectrumWindow;
        EXPECT_NEAR(out[0], expected, expected * 1e-4)
            << "level " << level << ": expected " << expected << ", got " << out[0];
        EXPECT_LT(out[2], 1e-6) << "level " << level << ": bin 2 expected ~0, got " << out[2];
    }
}

TEST(Spectrum, RepeatedReadsGiveTheSameMagnitudes) {
    AnalyzerHandle handle;
    const std::vector<float> samples = binSine(77, 0.8, 1.3);
    std::vector<float> first(kSpectrumSize), second(kSpectrumSize);
    analyzeSpectrum(handle.analyzer, samples.data(), first.data());
    analyzeSpectrum(handle.analyzer, samples.data(), second.data());
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_EQ(first[k], second[k])
            << "bin " << k << ": first read " << first[k] << ", second read " << second[k];
    }
}

struct MixCase {
    int channels;
    std::vector<float> interleaved;
    std::vector<float> mono;
};

class MixToMono : public testing::TestWithParam<MixCase> {};

TEST_P(MixToMono, TakesTheMeanOfTheChannels) {
    const MixCase &c = GetParam();
    const int frames = static_cast<int>(c.interleaved.size()) / c.channels;
    std::vector<float> got(frames, 99.0f);
    mixToMono(c.interleaved.data(), frames, c.channels, got.data());
    ASSERT_EQ(got.size(), c.mono.size());
    for (int i = 0; i < frames; ++i) {
        EXPECT_FLOAT_EQ(got[i], c.mono[i]) << c.channels << " channels, frame " << i
                                           << ": expected " << c.mono[i] << ", got " << got[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spectrum, MixToMono,
    testing::Values(MixCase{1, {0.5f, -0.25f, 1.0f}, {0.5f, -0.25f, 1.0f}},
                    MixCase{2, {1.0f, 0.0f, 0.5f, 0.25f, -1.0f, -0.5f}, {0.5f, 0.375f, -0.75f}},
                    MixCase{3, {0.3f, 0.6f, 0.9f, -0.3f, 0.0f, 0.0f}, {0.6f, -0.1f}},
                    MixCase{2, {0.7f, -0.7f, -0.2f, 0.2f}, {0.0f, 0.0f}}));

TEST(Spectrum, OppositeStereoChannelsMixToExactSilence) {
    std::vector<float> stereo(2 * kSpectrumWindow);
    const std::vector<float> tone = binSine(300, 0.9, 0.2);
    for (int n = 0; n < kSpectrumWindow; ++n) {
        stereo[2 * n] = tone[n];
        stereo[2 * n + 1] = -tone[n];
    }
    std::vector<float> mono(kSpectrumWindow, 1.0f);
    mixToMono(stereo.data(), kSpectrumWindow, 2, mono.data());
    const std::vector<float> out = spectrumOf(mono);
    for (int n = 0; n < kSpectrumWindow; ++n) {
        ASSERT_EQ(mono[n], 0.0f) << "frame " << n << ": expected exactly 0, got " << mono[n];
    }
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_EQ(out[k], 0.0f) << "bin " << k << ": expected exactly 0, got " << out[k];
    }
}

TEST(Spectrum, IdenticalStereoChannelsReadLikeTheMonoSignal) {
    const std::vector<float> tone = binSine(12, 0.6, 0.4);
    std::vector<float> stereo(2 * kSpectrumWindow);
    for (int n = 0; n < kSpectrumWindow; ++n) stereo[2 * n] = stereo[2 * n + 1] = tone[n];
    std::vector<float> mono(kSpectrumWindow);
    mixToMono(stereo.data(), kSpectrumWindow, 2, mono.data());
    const std::vector<float> fromStereo = spectrumOf(mono);
    const std::vector<float> fromMono = spectrumOf(tone);
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_FLOAT_EQ(fromStereo[k], fromMono[k])
            << "bin " << k << ": expected " << fromMono[k] << ", got " << fromStereo[k];
    }
}

}  // namespace
