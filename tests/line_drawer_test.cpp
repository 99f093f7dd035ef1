// LineSwarm::drawLine: bounds, colour, early stop and the shape of the line.
#include "effect/line_swarm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// A small surface: a source filled with one grey index and a cleared destination.
struct Surface {
    int w, h;
    std::vector<Pixel> dst, src;
    LineSwarm swarm;
    Surface(int width, int height, Pixel sourceValue = 7)
        : w(width), h(height), dst(width * height, 0), src(width * height, sourceValue) {
        swarm.width = swarm.filterColumns = width;
        swarm.height = swarm.filterRows = height;
    }
    void draw(int x0, int y0, int x1, int y1) {
        swarm.drawLine(x0, y0, x1, y1, 0xFFFFFF, dst.data(), src.data());
    }
    Pixel at(int x, int y) const { return dst[y * w + x]; }
    int written() const {
        int n = 0;
        for (Pixel p : dst) n += p != 0;
        return n;
    }
};

}  // namespace

TEST(DrawLine, SinglePointWritesOnePixelInTheSourceGrey) {
    Surface s(16, 16, 0x42);
    s.draw(5, 5, 5, 5);
    EXPECT_EQ(s.written(), 1);
    EXPECT_EQ(s.at(5, 5), 0x424242u);
}

TEST(DrawLine, ColourComesFromTheSourceUnderTheStartOnly) {
    Surface s(16, 16, 0x10);
    s.src[2 * 16 + 1] = 0x1FF;  // grey of a value above 255: the copies overlap
    s.draw(1, 2, 9, 2);
    for (int x = 1; x <= 9; ++x) EXPECT_EQ(s.at(x, 2), 0x1FFFFFFu) << "x " << x;
}

TEST(DrawLine, StartPixelAlreadyColouredDrawsNothing) {
    Surface s(16, 16, 0x20);
    s.dst[3 * 16 + 3] = 0x202020;
    s.draw(3, 3, 12, 9);
    EXPECT_EQ(s.written(), 1);
}

TEST(DrawLine, StopsAtTheFirstPixelOfItsOwnColour) {
    Surface s(16, 16, 0x30);
    s.dst[4 * 16 + 8] = 0x303030;  // a wall across the path at x = 8
    s.draw(2, 4, 14, 4);
    for (int x = 2; x <= 8; ++x) EXPECT_EQ(s.at(x, 4), 0x303030u) << "x " << x;
    for (int x = 9; x <= 14; ++x) EXPECT_EQ(s.at(x, 4), 0u) << "x " << x;
}

TEST(DrawLine, AnyEndOffTheSurfaceDrawsNothing) {
    const struct {
        int x0, y0, x1, y1;
    } cases[] = {
        {0, 0, 16, 0}, {16, 3, 2, 3}, {3, -1, 3, 4}, {3, 4, 3, -1},
        {-1, 5, 5, 5}, {5, 5, 5, 16}, {5, 16, 5, 5}, {-2147483647 - 1, 0, 3, 3},
    };
    for (const auto &c : cases) {
        Surface s(16, 16);
        s.draw(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(s.written(), 0) << "(" << c.x0 << "," << c.y0 << ")-(" << c.x1 << "," << c.y1
                                  << ")";
    }
}

TEST(DrawLine, LeftwardLineWritesEightPixels) {
    Surface s(16, 16);
    s.draw(10, 7, 3, 7);
    EXPECT_EQ(s.written(), 8);
    for (int x = 3; x <= 10; ++x) EXPECT_EQ(s.at(x, 7), 0x070707u) << "x " << x;
}

// Every line between two points of a 9x7 grid: max(|dx|, |dy|) + 1 pixels, one per step along
// the major axis, inside the bounding box, ending on the end point.
TEST(DrawLine, EveryLineOfASmallGridIsABresenhamLine) {
    const int w = 9, h = 7;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0)
            for (int y1 = 0; y1 < h; ++y1)
                for (int x1 = 0; x1 < w; ++x1) {
                    Surface s(w, h);
                    s.draw(x0, y0, x1, y1);
                    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
                    const bool xMajor = dx > dy;
                    const int steps = xMajor ? dx : dy;
                    ASSERT_EQ(s.written(), steps + 1)
                        << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ")";
                    ASSERT_NE(s.at(x1, y1), 0u) << "end point missing";
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            if (s.at(x, y) == 0) continue;
                            const bool inBox = (x - x0) * (x - x1) <= 0 && (y - y0) * (y - y1) <= 0;
                            ASSERT_TRUE(inBox) << "pixel (" << x << "," << y << ") outside";
                        }
                    // one pixel per column (x-major) or per row (y-major)
                    const int lanes = xMajor ? w : h, across = xMajor ? h : w;
                    for (int lane = 0; lane < lanes; ++lane) {
                        int n = 0;
                        for (int k = 0; k < across; ++k)
                            n += xMajor ? s.at(lane, k) != 0 : s.at(k, lane) != 0;
                        ASSERT_LE(n, 1) << "two pixels in one " << (xMajor ? "column" : "row");
                    }
                }
}
