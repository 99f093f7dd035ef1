// Stereo mixing and rate conversion for the music decoder (see vorbis_convert.h).
#include "audio/vorbis_convert.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr int kKernelSteps = 128;        // filter table points per source frame
constexpr double kZeroCrossings = 16.0;  // the filter's half-width, in zero crossings
constexpr double kPassband = 0.95;       // cut-off as a share of the lower Nyquist rate

// The side each Vorbis channel plays on (Left, Right, Centre), for one to eight channels.
constexpr const char *kLayouts[] = {"",      "C",      "LR",      "LCR",     "LRLR",
                                    "LCRLR", "LCRLRC", "LCRLRCC", "LCRLRLRC"};

// The weight a channel on side has in the left (or right) output.
float sideWeight(char side, bool left) {
    if (side == 'C') return 0.5f;
    return (side == 'L') == left ? 1.0f : 0.0f;
}

// Fills the filter table for r.rate: cutoff * sinc(cutoff * t) under a Blackman window.
void buildKernel(StereoResampler &r) {
    const double cutoff = std::min(1.0, double(kMusicRate) / r.rate) * kPassband;
    const double width = kZeroCrossings / cutoff;
    r.reach = static_cast<int>(std::ceil(width));
    r.kernel.assign(static_cast<size_t>(r.reach) * kKernelSteps + 2, 0.0f);
    for (size_t i = 0; i < r.kernel.size(); ++i) {
        const double t = double(i) / kKernelSteps;
        if (t >= width) break;
        const double x = std::numbers::pi * cutoff * t;
        const double sinc = i == 0 ? 1.0 : std::sin(x) / x;
        const double u = std::numbers::pi * t / width;
        const double blackman = 0.42 + 0.5 * std::cos(u) + 0.08 * std::cos(2.0 * u);
        r.kernel[i] = static_cast<float>(cutoff * sinc * blackman);
    }
}

// The filter at t source frames from the position, interpolated in the table.
float kernelAt(const StereoResampler &r, double t) {
    const double x = std::abs(t) * kKernelSteps;
    const auto i = static_cast<size_t>(x);
    if (i + 1 >= r.kernel.size()) return 0.0f;
    const float f = static_cast<float>(x - double(i));
    return r.kernel[i] + f * (r.kernel[i + 1] - r.kernel[i]);
}

// The source frame at or before output frame j's position.
int64_t centreOf(const StereoResampler &r, int64_t j) {
    return j * r.rate / kMusicRate;
}

}  // namespace

// Weighted means per side; the weights of each side are scaled to sum to one.
void downmixToStereo(const float *const *planar, int channels, int frames, float *stereo) {
    const char *layout = channels < int(std::size(kLayouts)) ? kLayouts[channels] : nullptr;
    float sumLeft = 0.0f, sumRight = 0.0f;
    for (int c = 0; c < channels; ++c) {
        const char side = layout ? layout[c] : 'C';
        sumLeft += sideWeight(side, true);
        sumRight += sideWeight(side, false);
    }
    std::fill(stereo, stereo + 2L * frames, 0.0f);
    for (int c = 0; c < channels; ++c) {
        const char side = layout ? layout[c] : 'C';
        const float left = sideWeight(side, true) / sumLeft;
        const float right = sideWeight(side, false) / sumRight;
        const float *in = planar[c];
        for (int i = 0; i < frames; ++i) {
            stereo[2 * i] += left * in[i];
            stereo[2 * i + 1] += right * in[i];
        }
    }
}

// ceil(frames * 44100 / rate): the output frames whose positions fall inside the source.
int64_t resampledLength(int64_t sourceFrames, int rate) {
    return (sourceFrames * kMusicRate + rate - 1) / rate;
}

// New table and buffer only for a new rate; positions always.
void resamplerStart(StereoResampler &r, int rate, int64_t firstOutput) {
    assert(rate >= kMusicMinRate && rate <= kMusicMaxRate && "resampler: rate out of range");
    if (r.source.empty() || r.rate != rate) {
        r.rate = rate;
        r.reach = 0;
        r.kernel.clear();
        if (rate != kMusicRate) buildKernel(r);
        r.source.assign(2 * (static_cast<size_t>(kResamplerPushFrames) + 2 * r.reach + 2), 0.0f);
    }
    r.next = firstOutput;
    r.sourceFirst = std::max<int64_t>(0, centreOf(r, firstOutput) - r.reach);
    r.sourceCount = 0;
    r.sourceEnded = false;
}

// Drops the frames no later output reaches, then appends.
void resamplerPush(StereoResampler &r, const float *stereo, int frames) {
    const int64_t keep = std::max(r.sourceFirst, centreOf(r, r.next) - r.reach);
    const int drop = static_cast<int>(std::min<int64_t>(keep - r.sourceFirst, r.sourceCount));
    if (drop > 0) {
        std::memmove(r.source.data(), r.source.data() + 2 * drop,
                     sizeof(float) * 2 * static_cast<size_t>(r.sourceCount - drop));
        r.sourceFirst += drop;
        r.sourceCount -= drop;
    }
    assert(2 * static_cast<size_t>(r.sourceCount + frames) <= r.source.size() &&
           "resampler: more source pushed than a short pull leaves room for");
    std::memcpy(r.source.data() + 2 * r.sourceCount, stereo, sizeof(float) * 2 * frames);
    r.sourceCount += frames;
}

// From here on, positions past the held frames are silence.
void resamplerEnd(StereoResampler &r) {
    r.sourceEnded = true;
}

// Each output frame is the normalised weighted sum of the source frames within reach.
int resamplerPull(StereoResampler &r, float *stereo, int count) {
    const int64_t end = r.sourceFirst + r.sourceCount;
    const int64_t total = r.sourceEnded ? resampledLength(end, r.rate) : INT64_MAX;
    const float *source = r.source.data();
    int made = 0;
    for (; made < count && r.next < total; ++made, ++r.next) {
        const int64_t centre = centreOf(r, r.next);
        if (!r.sourceEnded && centre + r.reach >= end) break;
        float *out = stereo + 2 * made;
        if (r.rate == kMusicRate) {
            const bool held = centre < end;
            out[0] = held ? source[2 * (centre - r.sourceFirst)] : 0.0f;
            out[1] = held ? source[2 * (centre - r.sourceFirst) + 1] : 0.0f;
            continue;
        }
        const double fraction = double(r.next * r.rate % kMusicRate) / kMusicRate;
        float left = 0.0f, right = 0.0f, sum = 0.0f;
        for (int64_t k = centre - r.reach + 1; k <= centre + r.reach; ++k) {
            const float w = kernelAt(r, double(k - centre) - fraction);
            sum += w;
            if (k < r.sourceFirst || k >= end) continue;
            left += w * source[2 * (k - r.sourceFirst)];
            right += w * source[2 * (k - r.sourceFirst) + 1];
        }
        out[0] = left / sum;
        out[1] = right / sum;
    }
    return made;
}

// Ended, and the output has reached the link's length.
bool resamplerDone(const StereoResampler &r) {
    return r.sourceEnded && r.next >= resampledLength(r.sourceFirst + r.sourceCount, r.rate);
}
