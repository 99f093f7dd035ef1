// LineSwarm::drawLine: bounds, colour, early stop and the shape of the line.
#include "effect/line_swarm.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    int written() const { return int(dst.size() - std::count(dst.begin(), dst.end(), 0u)); }
};

}  // namespace

// One line over a 16 x 16 source of one grey, but for the value under its start, where a pixel
// may already hold the line's colour: how many pixels it then covers, all in that colour. Every
// direction and the single point are the grid test's.
TEST(DrawLine, ColourAndEarlyStop) {
    const struct {
        const char *name;
        Pixel source, startSource;
        int x0, y0, x1, y1;
        int drawnX, drawnY;  // a pixel already in the line's colour; -1 for none
        int want;
        Pixel wantColour;
    } cases[] = {
        {"a value above 255: the copies overlap", 0x10, 0x1FF, 1, 2, 9, 2, -1, -1, 9, 0x1FFFFFF},
        {"start pixel already drawn", 0x20, 0x20, 3, 3, 12, 9, 3, 3, 1, 0x202020},
        {"stops across at its own colour", 0x30, 0x30, 2, 4, 14, 4, 8, 4, 7, 0x303030},
        {"stops down at its own colour", 0x30, 0x30, 4, 2, 4, 14, 4, 8, 7, 0x303030},
    };
    for (const auto &c : cases) {
        Surface s(16, 16, c.source);
        s.src[c.y0 * 16 + c.x0] = c.startSource;
        if (c.drawnX >= 0) s.dst[c.drawnY * 16 + c.drawnX] = c.wantColour;
        s.draw(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(s.written(), c.want) << c.name;
        for (const Pixel p : s.dst) ASSERT_TRUE(p == 0 || p == c.wantColour) << c.name << ": " << p;
    }
}

// A line with either end outside the surface is dropped whole.
TEST(DrawLine, AnyEndOffTheSurfaceDrawsNothing) {
    const int cases[][4] = {{0, 0, 16, 0}, {16, 3, 2, 3}, {3, -1, 3, 4}, {3, 4, 3, -1},
                            {-1, 5, 5, 5}, {5, 5, 5, 16}, {5, 16, 5, 5}, {INT32_MIN, 0, 3, 3}};
    for (const auto &c : cases) {
        Surface s(16, 16);
        s.draw(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(s.written(), 0) << testing::PrintToString(c);
    }
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
                    ASSERT_EQ(s.written(), std::max(dx, dy) + 1)
                        << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ")";
                    ASSERT_NE(s.at(x1, y1), 0u) << "end point missing";
                    // inside the box, and one pixel per column (x-major) or per row (y-major)
                    std::vector<int> perLane(xMajor ? w : h);
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            if (s.at(x, y) == 0) continue;
                            ASSERT_TRUE((x - x0) * (x - x1) <= 0 && (y - y0) * (y - y1) <= 0)
                                << "pixel (" << x << "," << y << ") outside";
                            ASSERT_LE(++perLane[xMajor ? x : y], 1)
                                << "two pixels in one " << (xMajor ? "column" : "row");
                        }
                }
}
