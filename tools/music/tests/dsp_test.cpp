// Tests of the synthesiser's building blocks: pitch, oscillators, envelopes, filters, dynamics.
#include "effects.h"
#include "envelope.h"
#include "filters.h"
#include "master_bus.h"
#include "oscillators.h"
#include "rng.h"
#include "track_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// Amplitude of the hz component of samples (a Hann-windowed single-bin DFT).
double amplitudeAt(const std::vector<double> &samples, double hz, int rate) {
    std::complex<double> sum = 0.0;
    double weights = 0.0;
    const auto n = static_cast<double>(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double w = 0.5 * (1.0 - std::cos(2.0 * kPi * i / n));
        sum += w * samples[i] * std::polar(1.0, -2.0 * kPi * hz * i / rate);
        weights += w;
    }
    return 2.0 * std::abs(sum) / weights;
}

struct PitchCase {
    double note;
    double hz;
};

class MidiToHz : public testing::TestWithParam<PitchCase> {};

TEST_P(MidiToHz, MatchesEqualTemperament) {
    const PitchCase c = GetParam();
    EXPECT_NEAR(midiToHz(c.note), c.hz, c.hz * 1e-4)
        << "note " << c.note << ": expected " << c.hz << " Hz, got " << midiToHz(c.note);
}

INSTANTIATE_TEST_SUITE_P(Oscillators, MidiToHz,
                         testing::Values(PitchCase{69, 440.0}, PitchCase{60, 261.6256},
                                         PitchCase{81, 880.0}, PitchCase{41, 87.3071},
                                         PitchCase{69.5, 452.893}));

// One second of a saw at hz, band-limited or naive.
std::vector<double> sawSeconds(double hz, bool bandLimited) {
    std::vector<double> out(kSampleRate);
    Phasor osc;
    const double dt = hz / kSampleRate;
    for (double &s : out) {
        advance(osc, dt);
        s = bandLimited ? sawWave(osc, dt) : 2.0 * osc.phase - 1.0;
    }
    return out;
}

TEST(Oscillators, BandLimitedSawKeepsItsFundamentalAndCutsTheAliases) {
    // 5 kHz: the 8th harmonic (40 kHz) folds back to 4.1 kHz, well inside the audible band.
    const double hz = 5000.0;
    const double alias = kSampleRate - 8 * hz;  // 40 kHz folds back to 4100 Hz
    ASSERT_NEAR(alias, 4100.0, 1e-9);
    const std::vector<double> blep = sawSeconds(hz, true);
    const std::vector<double> naive = sawSeconds(hz, false);
    const double fundamental = amplitudeAt(blep, hz, kSampleRate);
    EXPECT_NEAR(fundamental, 2.0 / kPi, 0.1)
        << "fundamental: expected about " << 2.0 / kPi << ", got " << fundamental;
    const double naiveAlias = amplitudeAt(naive, alias, kSampleRate);
    const double blepAlias = amplitudeAt(blep, alias, kSampleRate);
    EXPECT_LT(blepAlias, naiveAlias / 4.0)
        << "alias at " << alias << " Hz: naive " << naiveAlias << ", band-limited " << blepAlias;
    EXPECT_LT(blepAlias, fundamental * 0.03)
        << "alias at " << alias << " Hz expected below -30 dB of " << fundamental << ", got "
        << blepAlias;
}

TEST(Oscillators, PulseWidthSetsTheDutyCycle) {
    for (double width : {0.25, 0.5}) {
        Phasor osc;
        const double dt = 100.0 / kSampleRate;
        double mean = 0.0;
        for (int i = 0; i < kSampleRate; ++i) {
            advance(osc, dt);
            mean += pulseWave(osc, dt, width);
        }
        mean /= kSampleRate;
        const double expected = 2.0 * width - 1.0;
        EXPECT_NEAR(mean, expected, 0.01)
            << "width " << width << ": expected mean " << expected << ", got " << mean;
    }
}

struct AdsrCase {
    double t;
    double held;
    double expected;
};

class AdsrShape : public testing::TestWithParam<AdsrCase> {};

TEST_P(AdsrShape, FollowsAttackDecaySustainRelease) {
    const Adsr env{0.01, 0.2, 0.5, 0.3};
    const AdsrCase c = GetParam();
    const double got = adsrLevel(env, c.t, c.held);
    EXPECT_NEAR(got, c.expected, 0.02)
        << "t " << c.t << " held " << c.held << ": expected " << c.expected << ", got " << got;
}

INSTANTIATE_TEST_SUITE_P(Envelope, AdsrShape,
                         testing::Values(AdsrCase{-0.1, 1.0, 0.0}, AdsrCase{0.0, 1.0, 0.0},
                                         AdsrCase{0.005, 1.0, 0.5}, AdsrCase{0.01, 1.0, 1.0},
                                         AdsrCase{0.9, 1.0, 0.5}, AdsrCase{1.3, 1.0, 0.0},
                                         AdsrCase{2.0, 1.0, 0.0}));

TEST(Envelope, ReleaseFallsSteadilyToZero) {
    const Adsr env{0.01, 0.2, 0.6, 0.25};
    double previous = adsrLevel(env, 0.5, 0.5);
    for (double t = 0.5; t < 0.76; t += 0.01) {
        const double level = adsrLevel(env, t, 0.5);
        EXPECT_LE(level, previous + 1e-12)
            << "at " << t << ": rose from " << previous << " to " << level;
        previous = level;
    }
    EXPECT_EQ(adsrLevel(env, 0.75, 0.5), 0.0) << "expected exactly 0 once released";
}

struct FilterCase {
    double cutoff;
    double probe;
    double lowGainMax;
};

class LowPass : public testing::TestWithParam<FilterCase> {};

TEST_P(LowPass, PassesDcAndCutsAboveTheCutoff) {
    const FilterCase c = GetParam();
    Svf filter;
    tuneSvf(filter, c.cutoff, 0.707, kSampleRate);
    std::vector<double> tone(kSampleRate / 2);
    double dc = 0.0;
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = stepSvf(filter, std::sin(2.0 * kPi * c.probe * i / kSampleRate)).low;
    }
    Svf still;
    tuneSvf(still, c.cutoff, 0.707, kSampleRate);
    for (int i = 0; i < kSampleRate / 2; ++i) dc = stepSvf(still, 1.0).low;
    const double gain = amplitudeAt(tone, c.probe, kSampleRate);
    EXPECT_NEAR(dc, 1.0, 1e-6) << "cutoff " << c.cutoff << ": DC gain expected 1, got " << dc;
    EXPECT_LT(gain, c.lowGainMax) << "cutoff " << c.cutoff << ", tone " << c.probe
                                  << " Hz: gain expected below " << c.lowGainMax << ", got "
                                  << gain;
}

// A two-pole low-pass falls 12 dB per octave: about 1/100 a decade above the cutoff.
INSTANTIATE_TEST_SUITE_P(Filters, LowPass,
                         testing::Values(FilterCase{200.0, 2000.0, 0.012},
                                         FilterCase{1000.0, 10000.0, 0.012},
                                         FilterCase{1000.0, 1000.0, 0.75}));

TEST(Filters, HighPassOutputBlocksDc) {
    Svf filter;
    tuneSvf(filter, 100.0, 0.707, kSampleRate);
    double high = 1.0;
    for (int i = 0; i < kSampleRate; ++i) high = stepSvf(filter, 1.0).high;
    EXPECT_NEAR(high, 0.0, 1e-6) << "expected the high-pass to settle at 0, got " << high;
}

TEST(Rng, SameSeedSameNumbersAndUnitRange) {
    Rng a = makeRng(42), b = makeRng(42), c = makeRng(43);
    int differences = 0;
    for (int i = 0; i < 1000; ++i) {
        const double x = nextUnit(a);
        const double y = nextUnit(b);
        ASSERT_EQ(x, y) << "draw " << i << " differs for equal seeds";
        ASSERT_GE(x, 0.0) << "draw " << i;
        ASSERT_LT(x, 1.0) << "draw " << i;
        if (nextUnit(c) != x) ++differences;
    }
    EXPECT_GT(differences, 990) << "a different seed should give different numbers";
}

TEST(Effects, DuckingDipsAtTheKickAndRecovers) {
    const std::vector<double> kicks = {0.5};
    const std::vector<float> gain = duckingCurve(kSampleRate, kicks, 0.6, 0.2);
    const long kick = frameAt(0.5, kSampleRate);
    EXPECT_FLOAT_EQ(gain[frameAt(0.2, kSampleRate)], 1.0f) << "before the kick";
    EXPECT_NEAR(gain[kick], 0.4, 1e-3) << "at the kick: expected 1 - depth";
    EXPECT_FLOAT_EQ(gain[frameAt(0.75, kSampleRate)], 1.0f) << "after the recovery";
    EXPECT_GT(gain[frameAt(0.6, kSampleRate)], gain[kick]) << "half-way back";
}

TEST(Effects, ReverbTailDecaysByItsRt60) {
    StereoBuffer send = makeStereoBuffer(4 * kSampleRate);
    send.left[100] = send.right[100] = 1.0f;
    const StereoBuffer wet = renderReverb(send, 1.0, 20000.0, 0.0);
    // Energy over 50 ms windows 0.2 s and 1.2 s after the click: 1 s later the level
    // should have fallen by roughly 60 dB, and at least by 40.
    auto energy = [&](double from) {
        double sum = 0.0;
        for (long i = frameAt(from, kSampleRate); i < frameAt(from + 0.05, kSampleRate); ++i) {
            sum += wet.left[i] * wet.left[i] + wet.right[i] * wet.right[i];
        }
        return sum;
    };
    const double early = energy(0.2);
    const double late = energy(1.2);
    ASSERT_GT(early, 0.0) << "the reverb produced no tail";
    const double dropDb = 10.0 * std::log10(early / std::max(late, 1e-30));
    EXPECT_GT(dropDb, 40.0) << "expected about 60 dB of decay in one RT60, got " << dropDb;
    EXPECT_LT(dropDb, 80.0) << "expected about 60 dB of decay in one RT60, got " << dropDb;
}

TEST(MasterBus, LimiterKeepsLoudNoiseUnderTheCeiling) {
    Rng rng = makeRng(7);
    StereoBuffer mix = makeStereoBuffer(2 * kSampleRate);
    for (long i = 0; i < frameCount(mix); ++i) {
        mix.left[i] = static_cast<float>(3.0 * nextNoise(rng));
        mix.right[i] = static_cast<float>(3.0 * nextNoise(rng));
    }
    MasterSettings settings;
    settings.fadeOutStart = 100.0;
    settings.silenceFrom = 100.0;
    processMaster(mix, settings);
    const double peak = peakLevel(mix);
    EXPECT_LE(peak, settings.ceiling + 1e-6)
        << "expected peak at most " << settings.ceiling << ", got " << peak;
    EXPECT_GT(peak, settings.ceiling * 0.5)
        << "the limiter should not crush the level, got " << peak;
}

TEST(MasterBus, FadeEndsInExactSilence) {
    StereoBuffer mix = makeStereoBuffer(3 * kSampleRate);
    for (long i = 0; i < frameCount(mix); ++i) {
        mix.left[i] = mix.right[i] =
            static_cast<float>(0.3 * std::sin(2.0 * kPi * 440.0 * i / kSampleRate));
    }
    MasterSettings settings;
    settings.fadeOutStart = 1.0;
    settings.silenceFrom = 2.0;
    processMaster(mix, settings);
    const long silent = frameAt(2.0, kSampleRate);
    for (long i = silent; i < frameCount(mix); ++i) {
        ASSERT_EQ(mix.left[i], 0.0f) << "frame " << i << " after the fade";
        ASSERT_EQ(mix.right[i], 0.0f) << "frame " << i << " after the fade";
    }
    const double before = std::abs(mix.left[frameAt(0.5, kSampleRate) + 25]);
    EXPECT_GT(before, 0.05) << "the music before the fade should be untouched, got " << before;
}

}  // namespace
