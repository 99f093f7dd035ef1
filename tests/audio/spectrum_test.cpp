// Tests of the spectrum function and the mono mix before it.
#include "audio/spectrum.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
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

}  // namespace
