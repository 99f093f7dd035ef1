// LineSwarm's animation: init scatters the segments, update jolts, draws and wanders them.
#include "effect/line_swarm.h"

#include "common/random.h"
#include "common/truncate.h"

#include <cassert>

namespace {
constexpr double kInitialThreshold = 0.2;  // first burst threshold
constexpr double kThresholdStep = 0.02;    // added after every burst
constexpr int kBurstDraws = 16;            // a burst jolts 0 to 15 segments
constexpr int kLevelScale = 120;           // level 1 gives t = 120

// One coordinate plus a real step, in double precision, stored back as float.
float moved(float coordinate, double step) {
    return static_cast<float>(static_cast<double>(coordinate) + step);
}

// A random step of up to half the extent either way: u * extent - extent div 2.
double wanderStep(int32_t extent) {
    return randomUnit() * extent - extent / 2;
}
}  // namespace

// Sets the fields and scatters the segments: x1, y1, x2, y2 from four fresh draws each.
void LineSwarm::init(int w, int h) {
    width = filterColumns = w;
    height = filterRows = h;
    count = kLineCount;
    level = 0;
    threshold = kInitialThreshold;
    burst = 1;
    for (LineSegment &s : lines) {
        s.x1 = static_cast<float>(randomUnit() * w);
        s.y1 = static_cast<float>(randomUnit() * h);
        s.x2 = static_cast<float>(randomUnit() * w);
        s.y2 = static_cast<float>(randomUnit() * h);
    }
}

// One step: level from bins 500 and 12, every segment from the last down, burst trigger, filterC.
void LineSwarm::update(Pixel *frame, const Pixel *picture, const float *spectrum) {
    assert(count >= 0 && count <= kLineCount && "LineSwarm::update: count out of range");
    const double loudness =
        static_cast<double>(spectrum[500]) * 3 + static_cast<double>(spectrum[12]) * 4;
    level = static_cast<float>(loudness);
    if (level > 1) level = 1;

    for (int i = count - 1; i >= 0; --i) {
        LineSegment &s = lines[i];
        if (burst > 0) {
            const int32_t b = burst;
            const int32_t j = truncToInt(randomUnit() * b - b / 2);
            s.x1 = moved(s.x1, j);
            s.y1 = moved(s.y1, -j);
            s.x2 = moved(s.x2, -j);
            s.y2 = moved(s.y2, j);
            --burst;
        }
        drawLine(truncToInt(s.x1), truncToInt(s.y1), truncToInt(s.x2), truncToInt(s.y2), 0xFFFFFF,
                 frame, picture);
        const int32_t dx = absWrapped(truncToInt(static_cast<double>(s.x1) - s.x2));
        const int32_t dy = absWrapped(truncToInt(static_cast<double>(s.y1) - s.y2));
        s.x1 = moved(s.x1, wanderStep(dx));
        s.y1 = moved(s.y1, wanderStep(dy));
        s.x2 = moved(s.x2, -wanderStep(dx));
        s.y2 = moved(s.y2, -wanderStep(dy));
    }

    const int32_t t = truncToInt(static_cast<double>(level) * kLevelScale);
    if (randomUnit() * t > threshold) {
        threshold += kThresholdStep;
        burst = truncToInt(randomUnit() * kBurstDraws);
    }
    filterC(frame, picture, 1.0f);
}
