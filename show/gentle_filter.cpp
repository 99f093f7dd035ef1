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

}  // namespace

// Bayer's matrix: the bits of x ^ y and y interleaved, then reversed.
int32_t gentleMoment(int x, int y) {
    const int u = (x ^ y) % kTile, v = y % kTile;
    int rank = 0;
    for (int bit = 0; bit < 4; ++bit)
        rank |= ((u >> bit & 1) << (7 - 2 * bit)) | ((v >> bit & 1) << (6 - 2 * bit));
    return rank * kGentlePeriodMs / (kTile * kTile);
}

// A pixel takes the frame's colour when one of its moments fell after the latest frame's time
// and at or before ms: when ms is fewer than elapsed past its latest moment.
const Pixel *gentleFrame(GentleFilter &filter, const Pixel *frame, int32_t ms) {
    const int32_t elapsed = std::clamp(ms - filter.ms, 0, kGentlePeriodMs);
    const int32_t phase = ms % kGentlePeriodMs;
    filter.ms = ms;
    Pixel masks[kTile][kTile];
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            masks[y][x] = (phase + gentleMoment(x, y)) % kGentlePeriodMs < elapsed ? ~Pixel{0} : 0;
    for (int y = 0; y < kScreenHeight; ++y)
        gentleRow(frame + y * kScreenWidth, filter.shown + y * kScreenWidth, masks[y % kTile]);
    return filter.shown;
}
