// Drums: each hit rendered in closed form from envelopes, oscillators and filtered noise.
#include "drums.h"

#include "envelope.h"
#include "filters.h"
#include "oscillators.h"
#include "track_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kRate = kSampleRate;

// Frames in a hit that lasts the given seconds.
long hitFrames(double seconds) {
    return static_cast<long>(seconds * kRate);
}

// Short linear fade over the last frames of a hit so it never ends on a step.
double tailFade(long i, long frames) {
    return std::min(1.0, static_cast<double>(frames - i) / (0.01 * kRate));
}

// Frequencies of the six square oscillators that make the metallic hat and crash colour.
constexpr std::array<double, 6> kMetalHz = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};

// Level of the hat's ringing plate modes against its noise.
constexpr double kPlateLevel = 0.18;

}  // namespace

// Kick: a sine whose pitch falls from a click to a low thump, softly saturated.
void renderKick(StereoBuffer &out, double start, double gain) {
    const long first = frameAt(start, kSampleRate);
    const long frames = hitFrames(0.5);
    double phase = 0.0;
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        const double hz = 46.0 + 150.0 * decayLevel(t, 0.028) + 45.0 * decayLevel(t, 0.11);
        phase += hz / kRate;
        const double body = std::sin(kTwoPi * phase);
        const double amp =
            (t < 0.012 ? 1.0 : decayLevel(t - 0.012, 0.22)) * std::min(1.0, t / 0.0008);
        const double s = std::tanh(2.4 * body * amp) / std::tanh(2.4) * gain * tailFade(i, frames);
        addFrame(out, first + i, s * 0.7071, s * 0.7071);
    }
}

// Snare: a tuned two-mode body plus band-passed noise; pan in [-1, 1].
void renderSnare(StereoBuffer &out, double start, double gain, double pan, Rng &rng) {
    const long first = frameAt(start, kSampleRate);
    const long frames = hitFrames(0.6);
    Svf noiseFilter, airFilter;
    tuneSvf(noiseFilter, 1800.0, 0.6, kSampleRate);
    tuneSvf(airFilter, 9000.0, 0.7, kSampleRate);
    const PanGains gains = panGains(pan);
    double phaseA = 0.0, phaseB = 0.0;
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        // The shell is tuned to middle C, the fifth of the main key, with a dropping attack.
        phaseA += (261.6 + 40.0 * decayLevel(t, 0.008)) / kRate;
        phaseB += 418.0 / kRate;
        const double body = 1.6 * std::sin(kTwoPi * phaseA) * decayLevel(t, 0.18) +
                            0.35 * std::sin(kTwoPi * phaseB) * decayLevel(t, 0.05);
        const double noise = stepSvf(airFilter, stepSvf(noiseFilter, nextNoise(rng)).high).low;
        const double s = (body + 1.1 * noise * decayLevel(t, 0.13)) * std::min(1.0, t / 0.0007) *
                         gain * tailFade(i, frames);
        addFrame(out, first + i, s * gains.left, s * gains.right);
    }
}

// Clap: three quick noise bursts and a short tail, slightly different per side.
void renderClap(StereoBuffer &out, double start, double gain, Rng &rng) {
    const long first = frameAt(start, kSampleRate);
    const long frames = hitFrames(0.35);
    Svf left, right;
    tuneSvf(left, 1300.0, 1.8, kSampleRate);
    tuneSvf(right, 1450.0, 1.8, kSampleRate);
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        double env = decayLevel(t - 0.026, 0.11);
        for (double burst : {0.0, 0.009, 0.018}) {
            if (t >= burst && t < burst + 0.009) env = std::max(env, decayLevel(t - burst, 0.004));
        }
        const double fade = tailFade(i, frames) * gain * env * 2.2;
        addFrame(out, first + i, stepSvf(left, nextNoise(rng)).band * fade,
                 stepSvf(right, nextNoise(rng)).band * fade);
    }
}

// Hi-hat: metallic square cluster and noise, high-passed, over a few ringing plate modes;
// decay in seconds sets closed or open.
void renderHat(StereoBuffer &out, double start, double gain, double decay, double pan, Rng &rng) {
    // Plate modes of the hat, spread between 6 and 13 kHz; they ring a little past the noise.
    constexpr std::array<double, 5> modeHz = {6460.0, 7340.0, 8910.0, 10767.0, 12480.0};
    constexpr std::array<double, 5> modeLevel = {1.0, 0.5, 0.6, 0.8, 0.4};
    const long first = frameAt(start, kSampleRate);
    const double ring = std::max(decay * 1.4, 0.075);
    const long frames = hitFrames(std::min(6.0 * ring + 0.02, 1.5));
    std::array<Phasor, kMetalHz.size()> osc;
    for (auto &o : osc) o.phase = nextUnit(rng);
    std::array<Phasor, modeHz.size()> modes;
    for (auto &m : modes) m.phase = nextUnit(rng);
    Svf highA, highB, body;
    tuneSvf(highA, 6200.0, 0.7, kSampleRate);
    tuneSvf(highB, 6200.0, 0.7, kSampleRate);
    tuneSvf(body, 9500.0, 0.9, kSampleRate);
    const PanGains gains = panGains(pan);
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        double metal = 0.0;
        for (std::size_t m = 0; m < osc.size(); ++m) {
            const double dt = kMetalHz[m] * 2.0 / kRate;
            advance(osc[m], dt);
            metal += pulseWave(osc[m], dt, 0.5);
        }
        double plate = 0.0;
        for (std::size_t m = 0; m < modes.size(); ++m) {
            advance(modes[m], modeHz[m] / kRate);
            plate += modeLevel[m] * sineWave(modes[m]);
        }
        const double raw = 0.35 * metal + 1.4 * nextNoise(rng);
        const double high = stepSvf(highB, stepSvf(highA, raw).high).high;
        const double shaped = (high + 0.6 * stepSvf(body, high).band) * decayLevel(t, decay) +
                              kPlateLevel * plate * decayLevel(t, ring);
        const double s = shaped * std::min(1.0, t / 0.0005) * gain * tailFade(i, frames) * 0.5;
        addFrame(out, first + i, s * gains.left, s * gains.right);
    }
}

// Sleigh bells: a shake of several small jingles with bright inharmonic partials.
void renderSleighBells(StereoBuffer &out, double start, double gain, double pan, Rng &rng) {
    constexpr int kJingles = 7;
    for (int j = 0; j < kJingles; ++j) {
        const double onset = start + nextRange(rng, 0.0, 0.028);
        const double amp = nextRange(rng, 0.35, 1.0) * gain;
        // Each jingle rings in three bright regions, as small cast bells do.
        const std::array<double, 3> hz = {nextRange(rng, 3600.0, 4600.0),
                                          nextRange(rng, 6300.0, 6620.0),
                                          nextRange(rng, 10500.0, 11050.0)};
        const std::array<double, 3> level = {1.0, 0.8, 0.5};
        const double tau = nextRange(rng, 0.025, 0.06);
        const PanGains gains = panGains(std::clamp(pan + nextRange(rng, -0.35, 0.35), -1.0, 1.0));
        const long first = frameAt(onset, kSampleRate);
        const long frames = hitFrames(6.0 * tau + 0.01);
        std::array<double, 3> phase = {nextUnit(rng), nextUnit(rng), nextUnit(rng)};
        for (long i = 0; i < frames; ++i) {
            const double t = i / kRate;
            double s = 0.0;
            for (int p = 0; p < 3; ++p) {
                phase[p] += hz[p] / kRate;
                s += level[p] * std::sin(kTwoPi * phase[p]);
            }
            s *= amp * decayLevel(t, tau) * std::min(1.0, t / 0.0004) * tailFade(i, frames) * 0.3;
            addFrame(out, first + i, s * gains.left, s * gains.right);
        }
    }
}

// Crash cymbal: long, wide, bright wash.
void renderCrash(StereoBuffer &out, double start, double gain, Rng &rng) {
    const long first = frameAt(start, kSampleRate);
    const long frames = hitFrames(3.0);
    std::array<Phasor, kMetalHz.size()> osc;
    for (auto &o : osc) o.phase = nextUnit(rng);
    Svf left, right, leftB, rightB;
    for (Svf *f : {&left, &right, &leftB, &rightB}) tuneSvf(*f, 4500.0, 0.7, kSampleRate);
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        double metal = 0.0;
        for (std::size_t m = 0; m < osc.size(); ++m) {
            const double dt = kMetalHz[m] * 3.1 / kRate;
            advance(osc[m], dt);
            metal += pulseWave(osc[m], dt, 0.5);
        }
        const double env = (0.6 * decayLevel(t, 0.08) + 0.4 * decayLevel(t, 0.9)) *
                           std::min(1.0, t / 0.001) * tailFade(i, frames) * gain * 0.5;
        const double l = stepSvf(leftB, stepSvf(left, 0.15 * metal + nextNoise(rng)).high).high;
        const double r = stepSvf(rightB, stepSvf(right, 0.15 * metal + nextNoise(rng)).high).high;
        addFrame(out, first + i, l * env, r * env);
    }
}

// Riser: noise through a band-pass sweeping upward, growing from start to end.
void renderRiser(StereoBuffer &out, double start, double end, double gain, Rng &rng) {
    const long first = frameAt(start, kSampleRate);
    const long frames = frameAt(end, kSampleRate) - first;
    Svf left, right;
    for (long i = 0; i < frames; ++i) {
        const double x = static_cast<double>(i) / frames;
        if (i % 16 == 0) {
            const double hz = 300.0 * std::pow(8000.0 / 300.0, x);
            tuneSvf(left, hz, 2.5, kSampleRate);
            right.g = left.g;
            right.k = left.k;
        }
        const double env = x * x * gain * std::min(1.0, (frames - i) / (0.005 * kRate));
        addFrame(out, first + i, stepSvf(left, nextNoise(rng)).band * env,
                 stepSvf(right, nextNoise(rng)).band * env);
    }
}
