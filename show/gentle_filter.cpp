// The gentle mode's presentation filter (see gentle_filter.h).
#include "show/gentle_filter.h"

#include "common/cpu_dispatch.h"

#include <algorithm>

namespace {

constexpr int kTile = 16;  // the pattern's side

// Row y of a frame: the frame's colour where the pixel's mask is all ones, else what is shown.
DISPATCH_INLINE void gentleRowLoop(const Pixel *__restrict frame, Pixel *__restrict shown,
                                   const Pixel *__restrict masks) {
    for (int x = 0; x < kScreenWidth; ++x) {
        const Pixel take = masks[x % kTile];
        shown[x] = (frame[x] & take) | (shown[x] & ~take);
    }
}

// The row built for AVX2 and for the baseline.
DISPATCH_AVX2 void gentleRowAvx2(const Pixel *frame, Pixel *shown, const Pixel *masks) {
    gentleRowLoop(frame, shown, masks);
}
void gentleRowPlain(const Pixel *frame, Pixel *shown, const Pixel *masks) {
    gentleRowLoop(frame, shown, masks);
}
const auto gentleRow = pickForCpu(gentleRowAvx2, gentleRowPlain);

// The pixel at (x, y)'s offset, 0 to kGentlePeriodMs - 1: its moments are the times whose sum
// with it is a whole number of periods. Its place in Bayer's 16 x 16 ordered-dither matrix (the
// bits of x ^ y and y interleaved, then reversed), scaled to the period.
int32_t momentOffset(int x, int y) {
    const int u = (x ^ y) % kTile, v = y % kTile;
    int rank = 0;
    for (int bit = 0; bit < 4; ++bit)
        rank |= ((u >> bit & 1) << (7 - 2 * bit)) | ((v >> bit & 1) << (6 - 2 * bit));
    return rank * kGentlePeriodMs / (kTile * kTile);
}

}  // namespace

// A pixel takes the frame's colour when one of its moments fell after the latest frame's time
// and at or before ms: when ms is less than elapsed past its latest moment.
const Pixel *gentleFrame(GentleFilter &filter, const Pixel *frame, int32_t ms) {
    const int32_t elapsed = std::clamp(ms - filter.ms, 0, kGentlePeriodMs);
    const int32_t phase = ms % kGentlePeriodMs;
    filter.ms = ms;
    Pixel masks[kTile][kTile];
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            masks[y][x] = (phase + momentOffset(x, y)) % kGentlePeriodMs < elapsed ? ~Pixel{0} : 0;
    for (int y = 0; y < kScreenHeight; ++y)
        gentleRow(frame + y * kScreenWidth, filter.shown + y * kScreenWidth, masks[y % kTile]);
    return filter.shown;
}
