// Effects: an eight-line feedback delay network, a filtered ping-pong echo and sidechain curves.
#include "effects.h"

#include "filters.h"
#include "track_layout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kLines = 8;
// Mutually prime line lengths in frames (about 30 to 80 ms) so echoes do not pile up.
constexpr std::array<int, kLines> kLineFrames = {1409, 1637, 1871, 2053, 2311, 2617, 2909, 3361};

}  // namespace

// Feedback-delay-network reverb of send into a new wet bus; decay is the RT60 in seconds.
StereoBuffer renderReverb(const StereoBuffer &send, double decay, double dampingHz,
                          double predelay) {
    const long frames = frameCount(send);
    StereoBuffer wet = makeStereoBuffer(frames);
    std::array<std::vector<float>, kLines> lines;
    std::array<int, kLines> cursor{};
    std::array<double, kLines> loss{};
    std::array<OnePole, kLines> damping;
    for (int l = 0; l < kLines; ++l) {
        lines[l].assign(kLineFrames[l], 0.0f);
        loss[l] = std::pow(10.0, -3.0 * kLineFrames[l] / (decay * kSampleRate));
        damping[l].a = onePoleCoefficient(dampingHz, kSampleRate);
    }
    const long delay = frameAt(predelay, kSampleRate);
    OnePole inputHighPass{onePoleCoefficient(180.0, kSampleRate), 0.0};
    std::array<double, kLines> taps{};
    for (long i = 0; i < frames; ++i) {
        const long from = i - delay;
        const double input =
            from >= 0 ? stepHighPass(inputHighPass, 0.5 * (send.left[from] + send.right[from]))
                      : 0.0;
        double sum = 0.0;
        for (int l = 0; l < kLines; ++l) {
            taps[l] = stepLowPass(damping[l], lines[l][cursor[l]]) * loss[l];
            sum += taps[l];
        }
        // Householder feedback: each line gets its own tap minus a quarter of the sum.
        const double spread = sum * (2.0 / kLines);
        double left = 0.0, right = 0.0;
        for (int l = 0; l < kLines; ++l) {
            const double sign = (l % 3 == 0) ? -1.0 : 1.0;
            lines[l][cursor[l]] = static_cast<float>(taps[l] - spread + sign * input);
            if (++cursor[l] == kLineFrames[l]) cursor[l] = 0;
            (l % 2 == 0 ? left : right) += taps[l];
        }
        wet.left[i] = static_cast<float>(left * 0.35);
        wet.right[i] = static_cast<float>(right * 0.35);
    }
    return wet;
}

// Ping-pong echo of send into a new wet bus: first repeat left, then right, and so on.
StereoBuffer renderPingPong(const StereoBuffer &send, double delay, double feedback,
                            double toneHz) {
    const long frames = frameCount(send);
    StereoBuffer wet = makeStereoBuffer(frames);
    const long length = frameAt(delay, kSampleRate);
    std::vector<float> leftLine(length, 0.0f), rightLine(length, 0.0f);
    OnePole leftTone{onePoleCoefficient(toneHz, kSampleRate), 0.0};
    OnePole rightTone{onePoleCoefficient(toneHz, kSampleRate), 0.0};
    long cursor = 0;
    for (long i = 0; i < frames; ++i) {
        const double input = 0.5 * (send.left[i] + send.right[i]);
        const double fromLeft = stepLowPass(leftTone, leftLine[cursor]);
        const double fromRight = stepLowPass(rightTone, rightLine[cursor]);
        leftLine[cursor] = static_cast<float>(input + feedback * fromRight);
        rightLine[cursor] = static_cast<float>(feedback * fromLeft);
        if (++cursor == length) cursor = 0;
        wet.left[i] = static_cast<float>(fromLeft);
        wet.right[i] = static_cast<float>(fromRight);
    }
    return wet;
}

// Gain curve that dips by depth (0..1) at each kick time and recovers over `recover` seconds.
std::vector<float> duckingCurve(long frames, const std::vector<double> &kicks, double depth,
                                double recover) {
    std::vector<float> gain(frames, 1.0f);
    const long span = frameAt(recover, kSampleRate);
    const long attack = frameAt(0.004, kSampleRate);
    for (double kick : kicks) {
        const long first = frameAt(kick, kSampleRate) - attack;
        for (long i = 0; i < span + attack; ++i) {
            const long at = first + i;
            if (at < 0 || at >= frames) continue;
            // A fast dip over `attack` frames, then a smooth quadratic return to full level.
            const double dip = i < attack
                                   ? static_cast<double>(i) / attack
                                   : std::pow(1.0 - static_cast<double>(i - attack) / span, 2);
            gain[at] = std::min(gain[at], static_cast<float>(1.0 - depth * dip));
        }
    }
    return gain;
}

// Multiplies a bus by a gain curve of the same length.
void applyGain(StereoBuffer &bus, const std::vector<float> &gain) {
    const long frames = std::min(frameCount(bus), static_cast<long>(gain.size()));
    for (long i = 0; i < frames; ++i) {
        bus.left[i] *= gain[i];
        bus.right[i] *= gain[i];
    }
}
