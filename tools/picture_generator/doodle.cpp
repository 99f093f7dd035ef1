// Doodle picture: curly garlands, then motifs dropped into the emptiest spots until dense enough.
#include "doodle.h"

#include "motifs.h"
#include "rng.h"
#include "sketch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHaloWidth = 5.0;
constexpr int kCandidates = 24;
constexpr int kMaxMotifs = 3000;

// ---------------------------------------------------------------- motif kinds

// One kind of motif and how it is used.
struct MotifKind {
    MotifBuilder build;
    double weight;   // how often it is picked
    double size;     // radius factor
    double maxTilt;  // largest rotation either way, radians
    bool filler;     // only for filling the last gaps
};

constexpr MotifKind kKinds[] = {
    {spiralMotif, 2.2, 1.0, kPi, false},     // turns any way
    {curlsMotif, 2.5, 1.25, kPi, false},     // a little larger: the loops need room
    {starMotif, 2.0, 0.9, 0.4, false},       // kept near upright
    {snowflakeMotif, 2.5, 1.0, kPi, false},  // turns any way
    {hollyMotif, 2.0, 1.0, kPi, false},      // turns any way
    {bellMotif, 1.5, 1.0, 0.45, false},      // swings a little
    {baubleMotif, 1.3, 0.9, 0.3, false},     // hangs nearly straight
    {treeMotif, 1.2, 1.0, 0.15, false},      // stands nearly straight
    {candyCaneMotif, 1.2, 1.0, 0.5, false},  // leans a little
    {flowerMotif, 1.5, 0.9, kPi, false},     // turns any way
    {scribbleMotif, 1.2, 0.8, kPi, false},   // a little smaller
    {sunMotif, 1.0, 0.9, kPi, false},        // turns any way
    {giftMotif, 1.0, 0.85, 0.3, false},      // sits nearly level
    {moonMotif, 0.8, 0.9, 0.6, false},       // the rarest of the main motifs
    {sparkleMotif, 2.0, 0.6, 0.5, true},     // filler: twinkles
    {dotsMotif, 1.5, 0.6, kPi, true},        // filler: confetti
    {spiralMotif, 1.5, 0.6, kPi, true},      // filler: small spirals
};

// ---------------------------------------------------------------- placing

// A smooth random displacement that makes straight geometry look hand drawn.
struct Warp {
    double amp[2];
    double freq[2][4];
    double phase[2][4];
};

// Makes a warp: a coarse bend scaled to the motif and a fine pen tremble.
Warp makeWarp(Rng &rng, double radius) {
    Warp w;
    w.amp[0] = 0.05 * radius;
    w.amp[1] = 0.35;
    const double wavelength[2] = {2.2 * radius, 24.0};
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < 4; ++i) {
            w.freq[k][i] = uniform(rng, 0.6, 1.4) * 2.0 * kPi / wavelength[k] * (i % 2 ? 0.7 : 1.0);
            w.phase[k][i] = uniform(rng, 0.0, 2.0 * kPi);
        }
    }
    return w;
}

// Moves a pixel-space point by the warp.
Pt warped(const Warp &w, Pt p) {
    Pt q = p;
    for (int k = 0; k < 2; ++k) {
        q.x += w.amp[k] * std::sin(p.x * w.freq[k][0] + p.y * w.freq[k][1] + w.phase[k][0]);
        q.y += w.amp[k] * std::sin(p.x * w.freq[k][2] - p.y * w.freq[k][3] + w.phase[k][1]);
    }
    return q;
}

// Where and how a motif lands on the page.
struct Placement {
    Pt centre;
    double radius = 1.0;
    double angle = 0.0;
    bool mirrored = false;
};

// Moves a unit-space motif onto the page and wobbles it.
Motif placed(const Motif &motif, const Placement &at, const Warp &warp) {
    Motif out = motif;
    const double c = std::cos(at.angle);
    const double s = std::sin(at.angle);
    for (Stroke &stroke : out) {
        for (Pt &p : stroke.points) {
            const double x = at.mirrored ? -p.x : p.x;
            p = {at.centre.x + at.radius * (c * x - s * p.y),
                 at.centre.y + at.radius * (s * x + c * p.y)};
        }
        stroke.points = resampled(stroke.points, stroke.closed, 2.0);
        for (Pt &p : stroke.points) p = warped(warp, p);
    }
    return out;
}

// ---------------------------------------------------------------- choosing spots and kinds

// Darkness totals of the page so far, for finding empty spots.
struct InkMap {
    int width = 0;
    int height = 0;
    std::vector<double> sums;  // (width + 1) * (height + 1) summed-area table of darkness
    double white = 1.0;        // fraction of pixels still pure white
};

// Reads the surface into a summed-area table of darkness.
InkMap readInk(cairo_surface_t *surface) {
    cairo_surface_flush(surface);
    InkMap map;
    map.width = cairo_image_surface_get_width(surface);
    map.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    const auto w1 = static_cast<std::size_t>(map.width + 1);
    map.sums.assign(w1 * static_cast<std::size_t>(map.height + 1), 0.0);
    long white = 0;
    for (int y = 0; y < map.height; ++y) {
        const auto *row = reinterpret_cast<const std::uint32_t *>(data + y * stride);
        double line = 0.0;
        for (int x = 0; x < map.width; ++x) {
            const int v = static_cast<int>((row[x] >> 8) & 0xFF);
            white += v == 255;
            line += 255 - v;
            map.sums[(y + 1) * w1 + x + 1] = map.sums[y * w1 + x + 1] + line;
        }
    }
    map.white = static_cast<double>(white) / (static_cast<double>(map.width) * map.height);
    return map;
}

// Mean darkness inside the square of half-size r around c, clipped to the page.
double darknessAround(const InkMap &map, Pt c, double r) {
    const int x0 = std::clamp(static_cast<int>(c.x - r), 0, map.width);
    const int x1 = std::clamp(static_cast<int>(c.x + r), 0, map.width);
    const int y0 = std::clamp(static_cast<int>(c.y - r), 0, map.height);
    const int y1 = std::clamp(static_cast<int>(c.y + r), 0, map.height);
    if (x1 <= x0 || y1 <= y0) return 1e9;
    const auto w1 = static_cast<std::size_t>(map.width + 1);
    const double total = map.sums[y1 * w1 + x1] - map.sums[y0 * w1 + x1] - map.sums[y1 * w1 + x0] +
                         map.sums[y0 * w1 + x0];
    return total / ((x1 - x0) * (y1 - y0));
}

// Picks a motif kind by weight; fillers grow likelier as the page fills up.
const MotifKind &pickKind(Rng &rng, double progress) {
    double total = 0.0;
    for (const auto &k : kKinds) total += k.filler ? k.weight * progress * progress : k.weight;
    double pick = uniform(rng, 0.0, total);
    for (const auto &k : kKinds) {
        pick -= k.filler ? k.weight * progress * progress : k.weight;
        if (pick < 0.0) return k;
    }
    return kKinds[0];
}

// ---------------------------------------------------------------- garlands

// A long flowing garland line with a curl every so often, steering away from the page edges.
Stroke garland(Rng &rng, int width, int height) {
    Stroke s;
    s.width = uniform(rng, 2.2, 2.8);
    Pt p = {uniform(rng, 0.2, 0.8) * width, uniform(rng, 0.2, 0.8) * height};
    double heading = uniform(rng, 0.0, 2.0 * kPi);
    const double phase[2] = {uniform(rng, 0.0, 2.0 * kPi), uniform(rng, 0.0, 2.0 * kPi)};
    const double step = 1.5;
    const int steps = 1100;
    const double loopSense = (nextBits(rng) & 1) ? 1.0 : -1.0;
    const double loopTurn = uniform(rng, 0.13, 0.17) * loopSense;
    const int loopSteps = static_cast<int>(2.0 * kPi / std::fabs(loopTurn));
    const int gap = uniformInt(rng, 30, 45);
    int untilLoop = gap;
    int loopLeft = 0;
    for (int i = 0; i < steps; ++i) {
        s.points.push_back(p);
        double turn =
            0.018 * std::sin(i * 0.011 + phase[0]) + 0.012 * std::sin(i * 0.029 + phase[1]);
        if (loopLeft > 0) {
            turn = loopTurn;
            if (--loopLeft == 0) untilLoop = gap;
        } else if (--untilLoop <= 0) {
            loopLeft = loopSteps;
        }
        const double margin = 40.0;
        if (p.x < margin || p.y < margin || p.x > width - margin || p.y > height - margin) {
            const double want = std::atan2(height / 2.0 - p.y, width / 2.0 - p.x);
            const double diff = std::remainder(want - heading, 2.0 * kPi);
            turn += 0.03 * (diff > 0.0 ? 1.0 : -1.0);
        }
        heading += turn;
        p = {p.x + step * std::cos(heading), p.y + step * std::sin(heading)};
    }
    return s;
}

}  // namespace

// Draws the doodle until only whiteTarget of the pixels stay pure white.
GreyImage drawDoodle(int width, int height, std::uint64_t seed, double whiteTarget) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t *cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    Rng rng = makeRng(seed);

    for (int i = 0; i < 3; ++i) {
        const Stroke s = garland(rng, width, height);
        const Warp warp = makeWarp(rng, 10.0);
        drawMotif(cr, placed({s}, {{0.0, 0.0}, 1.0, 0.0, false}, warp), kHaloWidth);
    }

    const double startWhite = 1.0;
    for (int count = 0; count < kMaxMotifs; ++count) {
        const InkMap map = readInk(surface);
        if (map.white <= whiteTarget) break;
        const double progress =
            std::clamp((startWhite - map.white) / (startWhite - whiteTarget), 0.0, 1.0);
        const MotifKind &kind = pickKind(rng, progress);
        Placement at;
        at.radius = (62.0 - 40.0 * progress) * kind.size * uniform(rng, 0.8, 1.2);
        at.angle = uniform(rng, -kind.maxTilt, kind.maxTilt);
        at.mirrored = (nextBits(rng) & 1) != 0;
        double best = 1e18;
        for (int c = 0; c < kCandidates; ++c) {
            const Pt p = {uniform(rng, -10.0, width + 10.0), uniform(rng, -10.0, height + 10.0)};
            const double score = darknessAround(map, p, at.radius);
            if (score < best) {
                best = score;
                at.centre = p;
            }
        }
        const double pen = uniform(rng, 2.0, 3.0) * (0.85 + 0.15 * at.radius / 50.0);
        const Warp warp = makeWarp(rng, at.radius);
        drawMotif(cr, placed(kind.build(rng, pen), at, warp), kHaloWidth);
    }

    GreyImage image = greyFromSurface(surface);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return image;
}
