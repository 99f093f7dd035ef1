// LineSwarm: the show's central effect. 3000 line segments wander by random steps, are drawn
// every frame in colours taken from the picture buffer, get jolted in bursts that follow the
// music, and a diagonal feedback filter smears the frame and mixes the picture into it.
// Needs: common/ (Pixel, the show's random generator, truncation). No platform.
#pragma once

#include "common/pixel.h"

#include <cstdint>

// One segment, in pixel units. Never clamped: a segment may wander off the surface.
struct LineSegment {
    float x1, y1, x2, y2;
};

// grey(v): v spread over the three colour bytes, kept to 32 bits.
constexpr Pixel grey(Pixel v) {
    return v | (v << 8) | (v << 16);
}

class LineSwarm {
public:
    static constexpr int kLineCount = 3000;  // segments in the swarm

    // Sets the fields and scatters the segments over w x h.
    virtual void init(int w, int h);
    // One animation step: jolt, draw and wander every segment, maybe trigger a burst, filter.
    virtual void update(Pixel *frame, const Pixel *picture, const float *spectrum);
    // Diagonal blur of dst, mixed with src by XOR where src < x * 112.
    virtual void filterA(Pixel *dst, const Pixel *src, float x);
    // Diagonal blur of dst plus src, mixed by XOR where src < 112 (x is not used).
    virtual void filterB(Pixel *dst, const Pixel *src, float x);
    // Diagonal blur of dst plus twice src, as grey, where src < x * 255. The swarm's filter.
    virtual void filterC(Pixel *dst, const Pixel *src, float x);
    // Bresenham line in the grey of src under its start, stopping at its own colour.
    virtual void drawLine(int x0, int y0, int x1, int y1, Pixel colour, Pixel *dst,
                          const Pixel *src);

    int32_t width = 0;          // surface width; line bounds and the filters' row stride
    int32_t height = 0;         // surface height; line bounds
    int32_t filterRows = 0;     // rows the filters span
    int32_t filterColumns = 0;  // columns the filters span
    int32_t count = 0;          // segments in use
    LineSegment lines[kLineCount] = {};
    float level = 0;       // audio level of the latest update, 0 to 1
    double threshold = 0;  // burst threshold; only grows
    int32_t burst = 0;     // segments still to be jolted
};
