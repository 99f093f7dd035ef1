// LineSwarm's feedback filters: the inner region they write, their rules and their in-place order.
#include "effect/line_swarm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// One of the three filters.
using Filter = void (LineSwarm::*)(Pixel *dst, const Pixel *src, float x);
constexpr Filter kA = &LineSwarm::filterA, kB = &LineSwarm::filterB, kC = &LineSwarm::filterC;

// A w x h surface for the filters.
struct FilterSurface {
    int w, h;
    std::vector<Pixel> dst, src;
    LineSwarm swarm;
    FilterSurface(int width, int height)
        : w(width), h(height), dst(width * height), src(width * height) {
        swarm.width = swarm.filterColumns = width;
        swarm.height = swarm.filterRows = height;
    }
    void run(Filter f, float x) { (swarm.*f)(dst.data(), src.data(), x); }
    Pixel &d(int row, int column) { return dst[row * w + column]; }
};

// 3x3 with the four corners set: only the centre may change.
Pixel centreAfter(Filter f, float x, Pixel corner, Pixel source) {
    FilterSurface t(3, 3);
    t.dst = {corner, 0x55, corner, 0x55, 0x55, 0x55, corner, 0x55, corner};
    t.src.assign(9, source);
    std::vector<Pixel> border = t.dst;
    t.run(f, x);
    border[4] = t.d(1, 1);
    EXPECT_EQ(t.dst, border) << "a border pixel was written";
    return t.d(1, 1);
}

}  // namespace

// Each filter's rule at its limits, on the one pixel a 3x3 surface lets it write.
TEST(FeedbackFilters, RulesOnTheCentreOfA3x3Surface) {
    const float nan = std::nanf("");
    const struct {
        const char *name;
        Filter filter;
        float x;
        Pixel corner, source, want;
    } cases[] = {
        // filterC: v = avg + s; s < x * 255 gives grey(v + s), otherwise grey(s)
        {"C s=255 fails at x=1", kC, 1.0f, 40, 255, 0x00FFFFFF},
        {"C s=254 passes at x=1", kC, 1.0f, 40, 254, grey(40 + 508)},
        {"C corner sum wraps", kC, 1.0f, 0xFFFFFFFF, 1, grey(0x3FFFFFFF + 2)},
        {"C x=0.5: 127 passes", kC, 0.5f, 8, 127, grey(8 + 254)},
        {"C x=0.5: 128 fails", kC, 0.5f, 8, 128, grey(128)},
        {"C NaN passes nothing", kC, nan, 8, 3, grey(3)},
        {"C huge x passes all", kC, 1e30f, 8, 0xFFFFFFFF, grey(8 + 0xFFFFFFFE)},
        // filterA: v = avg; s < x * 112 gives (v ^ s) + s, otherwise grey(s)
        {"A x=0.3: 33 passes (33.6)", kA, 0.3f, 0x100, 33, (0x100u ^ 33) + 33},
        {"A x=0.3: 34 fails", kA, 0.3f, 0x100, 34, grey(34)},
        {"A x=1: 111 passes", kA, 1.0f, 0xF0, 111, (0xF0u ^ 111) + 111},
        {"A x=1: 112 fails", kA, 1.0f, 0xF0, 112, grey(112)},
        // filterB: v = avg + s; s < 112 gives (v ^ s) + s, otherwise grey(s); x ignored
        {"B 111 passes", kB, 0.0f, 0x100, 111, ((0x100u + 111) ^ 111) + 111},
        {"B 112 fails", kB, 5.0f, 0x100, 112, grey(112)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(centreAfter(c.filter, c.x, c.corner, c.source), c.want) << c.name;
}

// Top-down and in place: row 2 sees the value row 1 got in this same pass.
TEST(FeedbackFilters, UpperNeighboursAreThisPassesValues) {
    FilterSurface t(4, 4);  // source 0: filterB is then the plain diagonal mean
    t.d(0, 1) = 400;
    t.run(kB, 0);
    EXPECT_EQ(t.d(1, 2), 100u);
    EXPECT_EQ(t.d(2, 1), 25u) << "row 2 must read row 1's new value";
}

// The filters span filterRows x filterColumns with row stride width.
TEST(FeedbackFilters, SpanIsFilterRowsByFilterColumns) {
    FilterSurface t(6, 5);
    t.swarm.filterColumns = 4;
    t.swarm.filterRows = 3;
    for (Pixel &p : t.src) p = 9;
    t.run(kC, 1.0f);
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 6; ++column) {
            const bool inner = row == 1 && (column == 1 || column == 2);
            EXPECT_EQ(t.d(row, column) != 0, inner) << "row " << row << " column " << column;
        }
}
