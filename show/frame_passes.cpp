// The show's per-frame passes (see frame_passes.h).
#include "show/frame_passes.h"

#include "common/cpu_dispatch.h"
#include "common/truncate.h"

#include <cstring>

namespace {
constexpr int kSmoothedBands[] = {5, 10, 16};  // the bands the show reads
constexpr float kSilenceLimit = 0.00001f;      // slot 20 below this: silence
constexpr double kHighBandLimit = 0.06;        // slot 300 * 50 + band 10 at least this
constexpr double kLetterboxLimit = 0.04;       // band 5 above this: letterbox the picture
constexpr double kTextScale = 260;             // text x per unit of band 16

// One row of the feedback pass.
DISPATCH_INLINE void scaleRowLoop(const Pixel *__restrict in, Pixel *__restrict out, Pixel factor) {
    for (int x = 0; x < kScreenWidth; ++x) out[x] = in[x] * factor;
}

// The row built for AVX2 and for the baseline.
DISPATCH_AVX2 void scaleRowAvx2(const Pixel *in, Pixel *out, Pixel factor) {
    scaleRowLoop(in, out, factor);
}
void scaleRowPlain(const Pixel *in, Pixel *out, Pixel factor) {
    scaleRowLoop(in, out, factor);
}
const auto scaleRow = pickForCpu(scaleRowAvx2, scaleRowPlain);

}  // namespace

// The closing text: eight glyphs riding on band 16.
const TextGlyph kShowText[8] = {
    {'f', 40}, {'u', 60}, {'c', 80}, {'k', 100}, {'x', 140}, {'m', 160}, {'a', 180}, {'s', 200},
};

// Averages each read band with the new spectrum slot.
void smoothBands(float *bands, const float *spectrum) {
    for (int k : kSmoothedBands)
        bands[k] = static_cast<float>((static_cast<double>(bands[k]) + spectrum[k]) * 0.5);
}

// 1 to 32 for non-negative times.
int32_t feedbackFactor(int32_t tEffect) {
    return tEffect % 32 + 1;
}

// Slot 20 below the single-precision limit, or the high-band sum in double at least 0.06.
bool feedbackAllRows(const float *spectrum, const float *bands) {
    return spectrum[20] < kSilenceLimit ||
           static_cast<double>(spectrum[300]) * 50 + static_cast<double>(bands[10]) >=
               kHighBandLimit;
}

// Every row, or rows 0, 2, ..., 478; odd rows of the picture then keep what they held.
void scaleFeedback(const Pixel *frame, Pixel *picture, int32_t tEffect, bool allRows) {
    const Pixel factor = static_cast<Pixel>(feedbackFactor(tEffect));
    const int rowStep = allRows ? 1 : 2;
    for (int y = 0; y < kScreenHeight; y += rowStep)
        scaleRow(frame + y * kScreenWidth, picture + y * kScreenWidth, factor);
}

// Band 5 compared in double.
bool letterboxOnPicture(const float *bands) {
    return static_cast<double>(bands[5]) > kLetterboxLimit;
}

// The two bars are contiguous blocks of rows.
void clearLetterbox(Pixel *target) {
    const size_t barBytes = sizeof(Pixel) * kScreenWidth * kLetterboxRows;
    std::memset(target, 0, barBytes);
    std::memset(target + (kScreenHeight - kLetterboxRows) * kScreenWidth, 0, barBytes);
}

// Computed in double, truncated toward zero.
int32_t textColumn(float band16, int offset) {
    return truncToInt(static_cast<double>(band16) * kTextScale + offset);
}
