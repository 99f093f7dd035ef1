// Synth voices: oscillators, filters and envelopes combined per instrument, one note at a time.
#include "synth_voices.h"

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

// Frames from a note's start to the end of its release.
long noteFrames(double seconds) {
    return static_cast<long>(std::ceil(seconds * kRate)) + 1;
}

// Soft saturation that stays linear for small signals.
double softClip(double x) {
    return std::tanh(x);
}

}  // namespace

// Detuned-saw lead with a filter sweep, delayed vibrato and a stereo spread of width (0..1).
void renderLead(StereoBuffer &out, const Note &note, double width, double brightness, Rng &rng) {
    constexpr int kVoices = 5;
    constexpr std::array<double, kVoices> detune = {-0.13, -0.06, 0.0, 0.07, 0.12};  // semitones
    constexpr std::array<double, kVoices> spread = {-1.0, 0.5, 0.0, -0.5, 1.0};
    const Adsr env{0.006, 0.35, 0.72, 0.16};
    std::array<Phasor, kVoices> osc;
    std::array<PanGains, kVoices> pans;
    for (int v = 0; v < kVoices; ++v) {
        osc[v].phase = nextUnit(rng);
        pans[v] = panGains(spread[v] * width);
    }
    const double base = midiToHz(note.pitch);
    Svf filterL, filterR;
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(adsrLength(env, note.length));
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        if (i % 16 == 0) {
            const double sweep = 1.0 + 2.2 * decayLevel(t, 0.12);
            const double cutoff = base * (2.5 + 4.0 * brightness * note.velocity) * sweep;
            tuneSvf(filterL, std::min(cutoff, 12000.0), 0.9, kSampleRate);
            filterR.g = filterL.g;
            filterR.k = filterL.k;
        }
        const double depth = std::clamp((t - 0.22) / 0.3, 0.0, 1.0) * 0.1;  // semitones
        const double vibrato = depth * std::sin(kTwoPi * 5.3 * t);
        double left = 0.0, right = 0.0;
        for (int v = 0; v < kVoices; ++v) {
            const double dt = base * std::exp2((detune[v] + vibrato) / 12.0) / kRate;
            advance(osc[v], dt);
            const double s = sawWave(osc[v], dt);
            left += s * pans[v].left;
            right += s * pans[v].right;
        }
        const double level = adsrLevel(env, t, note.length) * note.velocity * 0.3;
        addFrame(out, start + i, stepSvf(filterL, left).low * level,
                 stepSvf(filterR, right).low * level);
    }
}

// Short plucked saw-and-pulse voice whose filter closes quickly; pan in [-1, 1].
void renderPluck(StereoBuffer &out, const Note &note, double pan, Rng &rng) {
    const Adsr env{0.002, 0.5, 0.25, 0.12};
    Phasor sawA{nextUnit(rng)}, sawB{nextUnit(rng)}, pulse{nextUnit(rng)};
    const double base = midiToHz(note.pitch);
    const double dtA = base * std::exp2(0.07 / 12.0) / kRate;
    const double dtB = base * std::exp2(-0.07 / 12.0) / kRate;
    const double dtP = base / kRate;
    Svf filter;
    const PanGains gains = panGains(pan);
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(adsrLength(env, note.length));
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        if (i % 16 == 0) {
            const double cutoff = base * 1.5 + 5200.0 * note.velocity * decayLevel(t, 0.09);
            tuneSvf(filter, cutoff, 1.3, kSampleRate);
        }
        advance(sawA, dtA);
        advance(sawB, dtB);
        advance(pulse, dtP);
        const double raw =
            0.4 * (sawWave(sawA, dtA) + sawWave(sawB, dtB)) + 0.35 * pulseWave(pulse, dtP, 0.3);
        const double s = stepSvf(filter, raw).low * adsrLevel(env, t, note.length) * note.velocity;
        addFrame(out, start + i, s * gains.left * 0.45, s * gains.right * 0.45);
    }
}

// Slow, wide pad of detuned saws under a gently moving low-pass at cutoff Hz.
void renderPad(StereoBuffer &out, const Note &note, double cutoff, Rng &rng) {
    constexpr int kPerSide = 3;
    const Adsr env{0.35, 0.8, 0.85, 0.9};
    const double base = midiToHz(note.pitch);
    std::array<Phasor, 2 * kPerSide> osc;
    std::array<double, 2 * kPerSide> dts;
    for (int v = 0; v < 2 * kPerSide; ++v) {
        osc[v].phase = nextUnit(rng);
        dts[v] = base * std::exp2(nextRange(rng, -0.12, 0.12) / 12.0) / kRate;
    }
    const double lfoPhase = nextUnit(rng);
    Svf filterL, filterR;
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(adsrLength(env, note.length));
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        if (i % 32 == 0) {
            const double moving = cutoff * (1.0 + 0.2 * std::sin(kTwoPi * (0.23 * t + lfoPhase)));
            tuneSvf(filterL, moving, 0.8, kSampleRate);
            filterR.g = filterL.g;
            filterR.k = filterL.k;
        }
        double left = 0.0, right = 0.0;
        for (int v = 0; v < kPerSide; ++v) {
            advance(osc[v], dts[v]);
            advance(osc[kPerSide + v], dts[kPerSide + v]);
            left += sawWave(osc[v], dts[v]);
            right += sawWave(osc[kPerSide + v], dts[kPerSide + v]);
        }
        const double level = adsrLevel(env, t, note.length) * note.velocity * 0.12;
        addFrame(out, start + i, stepSvf(filterL, left).low * level,
                 stepSvf(filterR, right).low * level);
    }
}

// Mono bass: saw and sine through an enveloped resonant low-pass, softly saturated.
void renderBass(StereoBuffer &out, const Note &note, double brightness) {
    const Adsr env{0.003, 0.25, 0.55, 0.05};
    const double base = midiToHz(note.pitch);
    const double dt = base / kRate;
    Phasor saw, sub;
    Svf filter;
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(adsrLength(env, note.length));
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        if (i % 16 == 0) {
            const double cutoff = 140.0 + base * 2.0 + 1400.0 * brightness * decayLevel(t, 0.07);
            tuneSvf(filter, cutoff, 1.6, kSampleRate);
        }
        advance(saw, dt);
        advance(sub, dt);
        const double raw = stepSvf(filter, sawWave(saw, dt)).low * 0.7 + 0.6 * sineWave(sub);
        const double s = softClip(1.3 * raw) * adsrLevel(env, t, note.length) * note.velocity * 0.5;
        addFrame(out, start + i, s * std::numbers::sqrt2 / 2, s * std::numbers::sqrt2 / 2);
    }
}

// Glockenspiel: struck-bar partials (additive, all below Nyquist); pan in [-1, 1].
void renderGlockenspiel(StereoBuffer &out, const Note &note, double pan) {
    constexpr int kPartials = 5;
    constexpr std::array<double, kPartials> ratio = {1.0, 2.756, 5.404, 8.933, 13.34};
    constexpr std::array<double, kPartials> level = {1.0, 0.32, 0.16, 0.07, 0.05};
    constexpr std::array<double, kPartials> tau = {0.9, 0.35, 0.16, 0.07, 0.025};
    const double base = midiToHz(note.pitch);
    const PanGains gains = panGains(pan);
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(std::max(note.length, 4.0 * tau[0]));
    std::array<Phasor, kPartials> osc;
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        const double strike = std::min(1.0, t / 0.0015);
        const double fade = std::min(1.0, (frames - i) / (0.02 * kRate));
        double s = 0.0;
        for (int p = 0; p < kPartials; ++p) {
            const double hz = base * ratio[p];
            if (hz > 0.45 * kRate) continue;
            advance(osc[p], hz / kRate);
            s += level[p] * decayLevel(t, tau[p]) * sineWave(osc[p]);
        }
        s *= strike * fade * note.velocity * 0.3;
        addFrame(out, start + i, s * gains.left, s * gains.right);
    }
}

// Soft organ-like pulse of a few harmonics, centred, for the pumping middle voice.
void renderPulse(StereoBuffer &out, const Note &note) {
    constexpr std::array<double, 4> level = {1.0, 0.4, 0.18, 0.08};
    const Adsr env{0.004, 0.2, 0.65, 0.06};
    const double base = midiToHz(note.pitch);
    std::array<Phasor, level.size()> osc;
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(adsrLength(env, note.length));
    for (long i = 0; i < frames; ++i) {
        double s = 0.0;
        for (std::size_t h = 0; h < level.size(); ++h) {
            advance(osc[h], base * static_cast<double>(h + 1) / kRate);
            s += level[h] * sineWave(osc[h]);
        }
        s *= adsrLevel(env, i / kRate, note.length) * note.velocity * 0.85;
        addFrame(out, start + i, s * std::numbers::sqrt2 / 2, s * std::numbers::sqrt2 / 2);
    }
}

// Short square-ish arpeggio blip; pan in [-1, 1].
void renderArp(StereoBuffer &out, const Note &note, double pan) {
    const double base = midiToHz(note.pitch);
    const double dt = base / kRate;
    Phasor osc;
    Svf filter;
    tuneSvf(filter, std::min(base * 5.0, 7000.0), 0.9, kSampleRate);
    const PanGains gains = panGains(pan);
    const long start = frameAt(note.start, kSampleRate);
    const long frames = noteFrames(note.length + 0.05);
    for (long i = 0; i < frames; ++i) {
        const double t = i / kRate;
        advance(osc, dt);
        const double gate = std::min(1.0, t / 0.002) * std::min(1.0, (frames - i) / (0.01 * kRate));
        const double s = stepSvf(filter, pulseWave(osc, dt, 0.25)).low * decayLevel(t, 0.1) * gate *
                         note.velocity * 0.2;
        addFrame(out, start + i, s * gains.left, s * gains.right);
    }
}
