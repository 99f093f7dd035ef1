// StereoBuffer: a bus as two planar float channels and helpers that add into it; no dependencies.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

// Frames held by the buffer.
inline long frameCount(const StereoBuffer &buffer) {
    return static_cast<long>(buffer.left.size());
}

// A silent buffer of the given length.
inline StereoBuffer makeStereoBuffer(long frames) {
    return StereoBuffer{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
}

// Equal-power pan gains for pan in [-1, 1] (left to right).
struct PanGains {
    double left;
    double right;
};

// Gains that keep the power constant across the stereo field.
inline PanGains panGains(double pan) {
    const double angle = (pan + 1.0) * 0.25 * std::numbers::pi;
    return PanGains{std::cos(angle), std::sin(angle)};
}

// Adds one stereo sample at frame index, ignoring frames outside the buffer.
inline void addFrame(StereoBuffer &buffer, long index, double left, double right) {
    if (index < 0 || index >= frameCount(buffer)) return;
    buffer.left[index] += static_cast<float>(left);
    buffer.right[index] += static_cast<float>(right);
}

// Adds every frame of source, scaled by gain, into target.
inline void mixInto(StereoBuffer &target, const StereoBuffer &source, double gain) {
    const long frames = std::min(frameCount(target), frameCount(source));
    for (long i = 0; i < frames; ++i) {
        target.left[i] += static_cast<float>(source.left[i] * gain);
        target.right[i] += static_cast<float>(source.right[i] * gain);
    }
}

// Frame index of a time in seconds at the track's rate.
inline long frameAt(double seconds, int rate) {
    return std::lround(seconds * rate);
}
