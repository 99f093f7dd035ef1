// LineSwarm::drawLine: a Bresenham line that takes its colour from the picture under its start
// and stops at the first pixel that already holds that colour.
#include "effect/line_swarm.h"

#include <cstddef>

namespace {
// True when 0 <= v < limit.
bool inside(int v, int limit) {
    return v >= 0 && v < limit;
}
}  // namespace

// Draws (x0, y0)-(x1, y1) into dst in grey(src at the start); colour is not used.
// A line with any end off the surface is dropped whole: there is no clipping.
void LineSwarm::drawLine(int x0, int y0, int x1, int y1, Pixel, Pixel *dst, const Pixel *src) {
    if (!inside(x0, width) || !inside(x1, width) || !inside(y0, height) || !inside(y1, height))
        return;

    const ptrdiff_t start = static_cast<ptrdiff_t>(y0) * width + x0;
    const Pixel c = grey(src[start]);
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    const ptrdiff_t rowStep = dy < 0 ? -width : width;
    const int xStep = dx < 0 ? -1 : 1;
    const int yStep = dy < 0 ? -1 : 1;
    const int a = 2 * (dx < 0 ? -dx : dx);
    const int b = 2 * (dy < 0 ? -dy : dy);

    ptrdiff_t p = start;
    if (dst[p] == c) return;
    dst[p] = c;

    if (a > b) {  // x-major
        int err = b - a / 2;
        for (int x = x0; x != x1;) {
            if (err >= 0) {
                p += rowStep;
                err -= a;
            }
            x += xStep;
            p += xStep;
            err += b;
            if (dst[p] == c) return;
            dst[p] = c;
        }
    } else {  // y-major, and the single point
        int err = a - b / 2;
        for (int y = y0; y != y1;) {
            if (err >= 0) {
                p += xStep;
                err -= b;
            }
            y += yStep;
            p += rowStep;
            err += a;
            if (dst[p] == c) return;
            dst[p] = c;
        }
    }
}
