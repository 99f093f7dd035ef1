// Master bus: gentle compression for glue, then a look-ahead peak limiter that cannot overshoot.
#include "master_bus.h"

#include "filters.h"
#include "track_layout.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <vector>

namespace {

// Removes sub-sonic rumble and any offset with a 25 Hz high-pass per channel.
void highPass(StereoBuffer &mix) {
    Svf left, right;
    tuneSvf(left, 25.0, 0.707, kSampleRate);
    tuneSvf(right, 25.0, 0.707, kSampleRate);
    for (long i = 0; i < frameCount(mix); ++i) {
        mix.left[i] = static_cast<float>(stepSvf(left, mix.left[i]).high);
        mix.right[i] = static_cast<float>(stepSvf(right, mix.right[i]).high);
    }
}

// Peak-following compressor above threshold with the given ratio, 10 ms attack, 180 ms release.
void compress(StereoBuffer &mix, double gain, double threshold, double ratio) {
    const double attack = onePoleCoefficient(1.0 / (2.0 * std::numbers::pi * 0.010), kSampleRate);
    const double release = onePoleCoefficient(1.0 / (2.0 * std::numbers::pi * 0.180), kSampleRate);
    double envelope = 0.0;
    for (long i = 0; i < frameCount(mix); ++i) {
        const double l = mix.left[i] * gain;
        const double r = mix.right[i] * gain;
        const double peak = std::max(std::abs(l), std::abs(r));
        envelope += (peak > envelope ? attack : release) * (peak - envelope);
        double reduction = 1.0;
        if (envelope > threshold) reduction = std::pow(envelope / threshold, 1.0 / ratio - 1.0);
        mix.left[i] = static_cast<float>(l * reduction);
        mix.right[i] = static_cast<float>(r * reduction);
    }
}

// Look-ahead limiter: the gain reaches each peak's need before the peak and eases back after.
void limit(StereoBuffer &mix, double ceiling) {
    const long frames = frameCount(mix);
    const long ahead = frameAt(0.005, kSampleRate);
    std::vector<double> need(frames);
    for (long i = 0; i < frames; ++i) {
        const double peak = std::max(std::abs(mix.left[i]), std::abs(mix.right[i]));
        need[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // Minimum of the need over the next `ahead` frames (monotonic queue), then a release.
    std::vector<double> held(frames);
    std::deque<long> window;
    long next = 0;
    for (long i = 0; i < frames; ++i) {
        while (next < frames && next <= i + ahead) {
            while (!window.empty() && need[window.back()] >= need[next]) window.pop_back();
            window.push_back(next++);
        }
        while (window.front() < i) window.pop_front();
        held[i] = need[window.front()];
    }
    const double release = onePoleCoefficient(1.0 / (2.0 * std::numbers::pi * 0.12), kSampleRate);
    double gain = 1.0;
    for (long i = 0; i < frames; ++i) {
        gain = held[i] < gain ? held[i] : gain + release * (held[i] - gain);
        held[i] = gain;
    }
    // Averaging the last `ahead` + 1 gains smooths the attack and stays below each frame's
    // need, because every one of those gains already held the minimum over a window ending
    // at or after this frame.
    double sum = 0.0;
    for (long i = 0; i < frames; ++i) {
        sum += held[i];
        if (i > ahead) sum -= held[i - ahead - 1];
        const double smooth = sum / static_cast<double>(std::min(i + 1, ahead + 1));
        mix.left[i] = static_cast<float>(std::clamp(mix.left[i] * smooth, -ceiling, ceiling));
        mix.right[i] = static_cast<float>(std::clamp(mix.right[i] * smooth, -ceiling, ceiling));
    }
}

// Short fade-in, quarter-cosine fade-out and exact zeros at the very end.
void fades(StereoBuffer &mix, const MasterSettings &settings) {
    const long frames = frameCount(mix);
    const long fadeIn = frameAt(settings.fadeInSeconds, kSampleRate);
    const long outStart = frameAt(settings.fadeOutStart, kSampleRate);
    const long silent = std::min(frames, frameAt(settings.silenceFrom, kSampleRate));
    for (long i = 0; i < frames; ++i) {
        double g = 1.0;
        if (i < fadeIn) g = static_cast<double>(i) / fadeIn;
        if (i >= silent) {
            g = 0.0;
        } else if (i >= outStart) {
            // A quarter cosine: smooth at the start, but it reaches zero with a slope, so the
            // tail does not linger just above silence.
            const double x = static_cast<double>(i - outStart) / (silent - outStart);
            g *= std::cos(0.5 * std::numbers::pi * x);
        }
        mix.left[i] = static_cast<float>(mix.left[i] * g);
        mix.right[i] = static_cast<float>(mix.right[i] * g);
    }
}

}  // namespace

// Runs the master chain in place.
void processMaster(StereoBuffer &mix, const MasterSettings &settings) {
    highPass(mix);
    compress(mix, settings.gain, settings.compressThreshold, settings.compressRatio);
    limit(mix, settings.ceiling);
    fades(mix, settings);
}

// Largest absolute sample in the buffer.
double peakLevel(const StereoBuffer &mix) {
    double peak = 0.0;
    for (long i = 0; i < frameCount(mix); ++i) {
        peak = std::max({peak, std::abs(static_cast<double>(mix.left[i])),
                         std::abs(static_cast<double>(mix.right[i]))});
    }
    return peak;
}
