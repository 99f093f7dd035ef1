// glaxen-render's flash analysis (see flash_analysis.h).
#include "render/flash_analysis.h"

#include "common/cpu_dispatch.h"
#include "show/show_frame.h"

#include <algorithm>

namespace {

// ---------------------------------------------------------------- the rules, pixel by pixel

// Luminance and redness are levels from 0 to kLevelOne, in integers, so that the analysis
// counts the same on every platform.
constexpr uint32_t kLevelOne = 32767;  // white's luminance, pure red's redness

// A general transition: a change of luminance of at least 0.1, the darker state below 0.8.
constexpr uint32_t kLuminanceStep = 3277;  // 0.1, rounded up
constexpr uint32_t kDarkLimit = 26214;     // the first level not below 0.8

// A red transition: a change of redness above 20 / 320, whatever the luminance.
constexpr uint32_t kRednessStep = 2048;  // the first level above 20 / 320
constexpr uint32_t kNoDarkLimit = kLevelOne + 1;

// Luminance = 0.2126 R + 0.7152 G + 0.0722 B of the linear components, the weights in 32768ths.
constexpr uint32_t kWeightRed = 6966, kWeightGreen = 23436, kWeightBlue = 2366;

// Each sRGB component value's linear value in levels: round(32767 x lin(v / 255)), where
// lin(c) = c / 12.92 up to 0.04045 and ((c + 0.055) / 1.055)^2.4 above. Written out rather
// than computed, so that no platform's pow() can round it differently.
const uint32_t kLinearLevel[256] = {
    0,     10,    20,    30,    40,    50,    60,    70,    80,    90,    99,    110,   120,
    132,   144,   157,   170,   184,   198,   213,   229,   246,   263,   281,   299,   319,
    338,   359,   380,   403,   425,   449,   473,   498,   524,   551,   578,   606,   635,
    665,   695,   727,   759,   792,   825,   860,   895,   931,   968,   1006,  1045,  1085,
    1125,  1167,  1209,  1252,  1296,  1341,  1386,  1433,  1481,  1529,  1578,  1629,  1680,
    1732,  1785,  1839,  1894,  1950,  2007,  2065,  2123,  2183,  2244,  2305,  2368,  2432,
    2496,  2562,  2629,  2696,  2765,  2834,  2905,  2977,  3049,  3123,  3198,  3273,  3350,
    3428,  3507,  3587,  3668,  3750,  3833,  3917,  4002,  4088,  4176,  4264,  4354,  4444,
    4536,  4629,  4723,  4818,  4914,  5011,  5109,  5209,  5309,  5411,  5514,  5618,  5723,
    5829,  5936,  6045,  6154,  6265,  6377,  6490,  6604,  6720,  6836,  6954,  7073,  7193,
    7315,  7437,  7561,  7686,  7812,  7939,  8067,  8197,  8328,  8460,  8593,  8728,  8863,
    9000,  9139,  9278,  9419,  9560,  9704,  9848,  9994,  10140, 10288, 10438, 10588, 10740,
    10893, 11048, 11204, 11360, 11519, 11678, 11839, 12001, 12164, 12329, 12495, 12662, 12831,
    13000, 13172, 13344, 13518, 13693, 13869, 14047, 14226, 14406, 14588, 14771, 14955, 15141,
    15328, 15516, 15706, 15897, 16089, 16283, 16478, 16675, 16872, 17071, 17272, 17474, 17677,
    17882, 18088, 18295, 18504, 18714, 18926, 19138, 19353, 19569, 19786, 20004, 20224, 20445,
    20668, 20892, 21118, 21345, 21573, 21803, 22034, 22267, 22501, 22736, 22973, 23211, 23451,
    23692, 23935, 24179, 24425, 24672, 24920, 25170, 25421, 25674, 25928, 26184, 26441, 26700,
    26960, 27222, 27485, 27749, 28016, 28283, 28552, 28823, 29095, 29368, 29643, 29920, 30197,
    30477, 30758, 31040, 31324, 31610, 31897, 32185, 32475, 32767,
};

// A pixel's two levels: its luminance in the low half, its redness in the high half. Redness is
// R - G - B where R >= 4 (G + B), that is R / (R + G + B) >= 0.8, and 0 for any other colour.
DISPATCH_INLINE uint32_t pixelLevels(Pixel p) {
    const uint32_t r = kLinearLevel[(p >> 16) & 0xFF];
    const uint32_t g = kLinearLevel[(p >> 8) & 0xFF];
    const uint32_t b = kLinearLevel[p & 0xFF];
    const uint32_t luminance = (kWeightRed * r + kWeightGreen * g + kWeightBlue * b + 16384) >> 15;
    const uint32_t redness = r >= 4 * (g + b) ? r - g - b : 0;
    return luminance | redness << 16;
}

// One level's track: bits 0-14 the extreme it reached since its last transition, bit 15 set
// when that transition rose (the extreme is the highest level since), clear when it fell (the
// lowest). Zero is black after a fall: the screen before the show.
constexpr uint32_t kRose = 0x8000;

// The track after level: the extreme moves on with the level, or a change of at least step
// back from it, whose darker state is below dark, is a transition and turns the track.
DISPATCH_INLINE uint32_t trackLevel(uint32_t track, uint32_t level, uint32_t step, uint32_t dark) {
    const uint32_t extreme = track & kLevelOne;
    const uint32_t rose = track & kRose;
    const uint32_t higher = rose ? extreme : level;  // the brighter, or redder, of the two
    const uint32_t lower = rose ? level : extreme;
    const uint32_t turned = higher - lower >= step && lower < dark ? level | (rose ^ kRose) : track;
    return higher <= lower ? level | rose : turned;
}

// Every pixel's two tracks (luminance in the low half, redness in the high half) after frame,
// each transition counted.
DISPATCH_INLINE void trackLoop(const Pixel *__restrict frame, uint32_t *__restrict tracks,
                               uint32_t *__restrict generalTurns, uint32_t *__restrict redTurns) {
    for (int i = 0; i < kScreenPixels; ++i) {
        const uint32_t levels = pixelLevels(frame[i]);
        const uint32_t general =
            trackLevel(tracks[i] & 0xFFFF, levels & 0xFFFF, kLuminanceStep, kDarkLimit);
        const uint32_t red = trackLevel(tracks[i] >> 16, levels >> 16, kRednessStep, kNoDarkLimit);
        generalTurns[i] += ((general ^ tracks[i]) & kRose) != 0;
        redTurns[i] += ((red ^ (tracks[i] >> 16)) & kRose) != 0;
        tracks[i] = general | red << 16;
    }
}

// The loop built for AVX2 and for the baseline.
DISPATCH_AVX2 void trackAvx2(const Pixel *frame, uint32_t *tracks, uint32_t *general,
                             uint32_t *red) {
    trackLoop(frame, tracks, general, red);
}
void trackPlain(const Pixel *frame, uint32_t *tracks, uint32_t *general, uint32_t *red) {
    trackLoop(frame, tracks, general, red);
}
const auto trackFrame = pickForCpu(trackAvx2, trackPlain);

// ---------------------------------------------------------------- fields of view

constexpr int kSumsWidth = kScreenWidth + 1;  // the summed-area table has a zero row and column

// True when a quarter of some field's pixels or more made at least flashes flashes (twice as
// many transitions); the first such field's corner in field.
bool quarterFlashing(const uint32_t *turns, uint32_t flashes, uint32_t *sums, FieldFlashes &field) {
    for (int y = 0; y < kScreenHeight; ++y) {
        uint32_t row = 0;
        for (int x = 0; x < kScreenWidth; ++x) {
            row += turns[y * kScreenWidth + x] >= 2 * flashes;
            sums[(y + 1) * kSumsWidth + x + 1] = sums[y * kSumsWidth + x + 1] + row;
        }
    }
    for (int y = 0; y + kFieldHeight <= kScreenHeight; ++y)
        for (int x = 0; x + kFieldWidth <= kScreenWidth; ++x) {
            const uint32_t *top = sums + y * kSumsWidth + x;
            const uint32_t *bottom = top + kFieldHeight * kSumsWidth;
            const uint32_t count = bottom[kFieldWidth] - bottom[0] - top[kFieldWidth] + top[0];
            if (4 * count >= uint32_t{kFieldWidth * kFieldHeight}) {
                field.x = x;
                field.y = y;
                return true;
            }
        }
    return false;
}

// The most flashes a quarter of some field made, by halving the range that holds it.
FieldFlashes worstField(const uint32_t *turns, uint32_t *sums) {
    FieldFlashes worst, found;
    uint32_t below = 0, above = *std::max_element(turns, turns + kScreenPixels) / 2 + 1;
    while (above - below > 1) {
        const uint32_t middle = below + (above - below) / 2;
        if (quarterFlashing(turns, middle, sums, found)) {
            below = middle;
            worst = found;
            worst.flashes = middle;
        } else {
            above = middle;
        }
    }
    return worst;
}

// The second counted so far reported, when it is one to report, and the counts cleared.
void closeSecond(FlashAnalysis &a) {
    if (a.second >= int64_t{a.firstSecond}) {
        FlashSecond done;
        done.second = uint32_t(a.second);
        done.general = worstField(a.generalTurns.data(), a.sums.data());
        done.red = worstField(a.redTurns.data(), a.sums.data());
        a.seconds.push_back(done);
    }
    std::fill(a.generalTurns.begin(), a.generalTurns.end(), 0);
    std::fill(a.redTurns.begin(), a.redTurns.end(), 0);
}

}  // namespace

// ---------------------------------------------------------------- the analysis

// Black everywhere, as the screen before the show; room for every second of the show.
void startFlashAnalysis(FlashAnalysis &a, uint32_t firstMs) {
    a.tracks.assign(kScreenPixels, 0);
    a.generalTurns.assign(kScreenPixels, 0);
    a.redTurns.assign(kScreenPixels, 0);
    a.sums.assign(size_t{kSumsWidth} * (kScreenHeight + 1), 0);
    a.second = -1;
    a.firstSecond = firstMs / 1000;
    a.seconds.clear();
    a.seconds.reserve(kShowLength / 1000 + 1);
}

// A new second closes the one before.
void analyseFrame(FlashAnalysis &a, const Pixel *frame, uint32_t ms) {
    if (int64_t{ms / 1000} != a.second) {
        closeSecond(a);
        a.second = ms / 1000;
    }
    trackFrame(frame, a.tracks.data(), a.generalTurns.data(), a.redTurns.data());
}

// The last second is closed like the others.
void finishFlashAnalysis(FlashAnalysis &a) {
    closeSecond(a);
    a.second = -1;
}

// Either kind above the limit.
bool secondFails(const FlashSecond &s) {
    return s.general.flashes > kMostFlashes || s.red.flashes > kMostFlashes;
}
