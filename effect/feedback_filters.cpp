// LineSwarm's feedback filters A, B and C. Each walks dst in place, top-down, over the inner
// rows and columns: the pixel becomes a rule of the mean of its four diagonal neighbours and
// the source pixel. The upper neighbours already hold this pass's values, the lower ones the
// previous frame's, so a row depends only on the row above: each row is one vector pass.
#include "effect/line_swarm.h"

#include "common/cpu_dispatch.h"

#include <cmath>
#include <cstddef>

namespace {

// The largest source value for which "s < limit" holds, limit real; none when nothing passes.
struct PassTest {
    bool none;      // no source value passes
    Pixel maxPass;  // s passes when s <= maxPass
};

// s < limit for unsigned 32-bit s, as one integer bound (NaN passes nothing).
PassTest passBelow(double limit) {
    if (!(limit > 0)) return {true, 0};
    if (limit > 4294967296.0) return {false, 0xFFFFFFFFu};
    return {false, static_cast<Pixel>(std::ceil(limit) - 1)};
}

// Runs rule(avg, s) over the inner pixels of dst, row by row from the top.
template <typename Rule>
void filterPass(const LineSwarm &swarm, Pixel *dst, const Pixel *src, Rule rule) {
    const ptrdiff_t stride = swarm.width;
    const int columns = swarm.filterColumns;
    for (int i = 1; i < swarm.filterRows - 1; ++i) {
        const Pixel *__restrict up = dst + (i - 1) * stride;
        Pixel *__restrict row = dst + i * stride;
        const Pixel *__restrict down = dst + (i + 1) * stride;
        const Pixel *__restrict s = src + i * stride;
        for (int j = 1; j < columns - 1; ++j) {
            const Pixel avg = (up[j - 1] + up[j + 1] + down[j - 1] + down[j + 1]) >> 2;
            row[j] = rule(avg, s[j]);
        }
    }
}

// One row of filterC: up is this pass's previous row, down the next row as it was. Where s
// passes, avg + s is added to s through a mask: with no branch to sink the neighbours' loads
// into, every target's vectorizer takes the loop.
DISPATCH_INLINE void filterCRowLoop(Pixel *__restrict row, const Pixel *__restrict up,
                                    const Pixel *__restrict down, const Pixel *__restrict s,
                                    int columns, Pixel maxPass) {
    for (int j = 1; j < columns - 1; ++j) {
        const Pixel avg = (up[j - 1] + up[j + 1] + down[j - 1] + down[j + 1]) >> 2;
        const Pixel passes = 0u - Pixel{s[j] <= maxPass};
        row[j] = grey(s[j] + ((avg + s[j]) & passes));
    }
}

// The row built for AVX2 and for the baseline.
DISPATCH_AVX2 void filterCRowAvx2(Pixel *row, const Pixel *up, const Pixel *down, const Pixel *s,
                                  int columns, Pixel maxPass) {
    filterCRowLoop(row, up, down, s, columns, maxPass);
}
void filterCRowPlain(Pixel *row, const Pixel *up, const Pixel *down, const Pixel *s, int columns,
                     Pixel maxPass) {
    filterCRowLoop(row, up, down, s, columns, maxPass);
}
const auto filterCRow = pickForCpu(filterCRowAvx2, filterCRowPlain);

}  // namespace

// v = avg; where s < x * 112: (v XOR s) + s, elsewhere grey(s).
void LineSwarm::filterA(Pixel *dst, const Pixel *src, float x) {
    const PassTest test = passBelow(static_cast<double>(x) * 112);
    filterPass(*this, dst, src, [test](Pixel avg, Pixel s) {
        return !test.none && s <= test.maxPass ? (avg ^ s) + s : grey(s);
    });
}

// v = avg + s; where s < 112: (v XOR s) + s, elsewhere grey(s).
void LineSwarm::filterB(Pixel *dst, const Pixel *src, float) {
    filterPass(*this, dst, src, [](Pixel avg, Pixel s) {
        const Pixel v = avg + s;
        return s < 112 ? (v ^ s) + s : grey(s);
    });
}

// v = avg + s; where s < x * 255: grey(v + s), elsewhere grey(s).
void LineSwarm::filterC(Pixel *dst, const Pixel *src, float x) {
    const PassTest test = passBelow(static_cast<double>(x) * 255);
    if (test.none) {
        filterPass(*this, dst, src, [](Pixel, Pixel s) { return grey(s); });
        return;
    }
    const ptrdiff_t stride = width;
    for (int i = 1; i < filterRows - 1; ++i)
        filterCRow(dst + i * stride, dst + (i - 1) * stride, dst + (i + 1) * stride,
                   src + i * stride, filterColumns, test.maxPass);
}
