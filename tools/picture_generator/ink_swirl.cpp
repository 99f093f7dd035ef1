// Ink swirl picture: a vortex flow field shades the ground, then hatch strokes follow its streams.
#include "ink_swirl.h"

#include "rng.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// A point or direction on the page.
struct Vec {
    double x = 0.0;
    double y = 0.0;
};

// ---------------------------------------------------------------- flow field

// One whirl of the flow: where, how wide, which way and how hard it pulls inwards.
struct Vortex {
    Vec centre;
    double radius = 100.0;
    double spin = 1.0;
    double pull = 0.2;
};

// The whole flow: vortices over a slow wavy drift.
struct Flow {
    std::vector<Vortex> vortices;
    double wavePhase[3] = {0.0, 0.0, 0.0};
    double bandPhase = 0.0;
};

// Places vortices on a jittered grid so they cover the page.
Flow makeFlow(Rng &rng, int width, int height) {
    Flow flow;
    const int cols = 4;
    const int rows = 3;
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
            Vortex v;
            v.centre = {(i + uniform(rng, 0.2, 0.8)) * width / cols,
                        (j + uniform(rng, 0.2, 0.8)) * height / rows};
            v.radius = uniform(rng, 55.0, 105.0);
            v.spin = ((i + j) % 2 ? 1.0 : -1.0) * uniform(rng, 0.7, 1.3);
            v.pull = uniform(rng, 0.15, 0.35);
            flow.vortices.push_back(v);
        }
    }
    for (double &p : flow.wavePhase) p = uniform(rng, 0.0, 2.0 * kPi);
    flow.bandPhase = uniform(rng, 0.0, 2.0 * kPi);
    return flow;
}

// Stream function: its level lines are the flow's streams.
double stream(const Flow &flow, Vec p) {
    double psi = 30.0 * std::sin(p.y * 0.011 + p.x * 0.004 + flow.wavePhase[0]) +
                 20.0 * std::sin(p.x * 0.013 - p.y * 0.006 + flow.wavePhase[1]);
    for (const Vortex &v : flow.vortices) {
        const double dx = p.x - v.centre.x;
        const double dy = p.y - v.centre.y;
        const double g = std::exp(-(dx * dx + dy * dy) / (2.0 * v.radius * v.radius));
        psi += v.spin * v.radius * 1.2 * g;
    }
    return psi;
}

// Flow direction at p: along the streams, spiralling a little into each vortex.
Vec velocity(const Flow &flow, Vec p) {
    const double h = 0.5;
    const double dpx = (stream(flow, {p.x + h, p.y}) - stream(flow, {p.x - h, p.y})) / (2.0 * h);
    const double dpy = (stream(flow, {p.x, p.y + h}) - stream(flow, {p.x, p.y - h})) / (2.0 * h);
    Vec v = {dpy, -dpx};
    for (const Vortex &w : flow.vortices) {
        const double dx = p.x - w.centre.x;
        const double dy = p.y - w.centre.y;
        const double g = std::exp(-(dx * dx + dy * dy) / (2.0 * w.radius * w.radius));
        const double d = std::hypot(dx, dy) + 1.0;
        const double speed = std::fabs(w.spin) * 1.2 * g * d / w.radius;
        v.x -= w.pull * speed * dx / d;
        v.y -= w.pull * speed * dy / d;
    }
    return v;
}

// Ground tone 0..1 at p: marbled bands along the streams, darker in the vortex hearts.
double groundTone(const Flow &flow, Vec p, int width, int height) {
    const double psi = stream(flow, p);
    double tone = 0.48 + 0.26 * std::sin(psi * 0.09 + flow.bandPhase) +
                  0.1 * std::sin(psi * 0.23 + 2.0 * flow.bandPhase);
    for (const Vortex &v : flow.vortices) {
        const double dx = p.x - v.centre.x;
        const double dy = p.y - v.centre.y;
        const double d2 = dx * dx + dy * dy;
        tone -= 0.25 * std::exp(-d2 / (2.0 * 0.25 * v.radius * v.radius));
        const double arms = 2.0 * std::atan2(dy, dx) * (v.spin > 0.0 ? 1.0 : -1.0);
        tone += 0.16 * std::exp(-d2 / (2.0 * 0.8 * v.radius * v.radius)) *
                std::sin(arms + std::sqrt(d2) / (0.1 * v.radius));
    }
    const double ex = (p.x - width / 2.0) / (width / 2.0);
    const double ey = (p.y - height / 2.0) / (height / 2.0);
    tone -= 0.12 * (ex * ex + ey * ey);
    return std::clamp(tone, 0.0, 1.0);
}

// ---------------------------------------------------------------- strokes and shading

// Follows the flow from a seed for up to length pixels, forwards or backwards.
std::vector<Vec> traceStream(const Flow &flow, Vec seed, double length, double dir, int width,
                             int height) {
    std::vector<Vec> points{seed};
    const double step = 1.5;
    Vec p = seed;
    for (double travelled = 0.0; travelled < length; travelled += step) {
        Vec v = velocity(flow, p);
        double n = std::hypot(v.x, v.y);
        if (n < 1e-6) break;
        const Vec mid = {p.x + dir * 0.5 * step * v.x / n, p.y + dir * 0.5 * step * v.y / n};
        v = velocity(flow, mid);
        n = std::hypot(v.x, v.y);
        if (n < 1e-6) break;
        p = {p.x + dir * step * v.x / n, p.y + dir * step * v.y / n};
        if (p.x < -5.0 || p.y < -5.0 || p.x > width + 5.0 || p.y > height + 5.0) break;
        points.push_back(p);
    }
    return points;
}

// Strokes one hatch line through seed along the flow.
void hatch(cairo_t *cr, const Flow &flow, Vec seed, double length, int width, int height) {
    std::vector<Vec> back = traceStream(flow, seed, length * 0.5, -1.0, width, height);
    const std::vector<Vec> ahead = traceStream(flow, seed, length * 0.5, 1.0, width, height);
    std::reverse(back.begin(), back.end());
    back.insert(back.end(), ahead.begin() + 1, ahead.end());
    if (back.size() < 3) return;
    cairo_move_to(cr, back[0].x, back[0].y);
    for (std::size_t i = 1; i < back.size(); ++i) cairo_line_to(cr, back[i].x, back[i].y);
    cairo_stroke(cr);
}

// Paints the shaded ground pixel by pixel.
void paintGround(cairo_surface_t *surface, const Flow &flow, std::vector<double> &tones) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    cairo_surface_flush(surface);
    unsigned char *data = cairo_image_surface_get_data(surface);
    tones.assign(static_cast<std::size_t>(width) * height, 0.0);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const double tone = groundTone(flow, {x + 0.5, y + 0.5}, width, height);
            tones[static_cast<std::size_t>(y) * width + x] = tone;
            const auto v = static_cast<std::uint32_t>(std::lround(tone * 255.0));
            row[x] = 0xFF000000u | (v << 16) | (v << 8) | v;
        }
    }
    cairo_surface_mark_dirty(surface);
}

// Adds a faint even grain so the soft shading uses every nearby grey level.
void addGrain(GreyImage &image, Rng &rng) {
    for (auto &v : image.pixels) {
        const int first = uniformInt(rng, -3, 3);
        const int noise = first + uniformInt(rng, -3, 3);
        v = static_cast<std::uint8_t>(std::clamp(static_cast<int>(v) + noise / 2, 0, 255));
    }
}

}  // namespace

// Draws the swirling ink picture.
GreyImage drawInkSwirl(int width, int height, std::uint64_t seed) {
    Rng rng = makeRng(seed);
    const Flow flow = makeFlow(rng, width, height);
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    std::vector<double> tones;
    paintGround(surface, flow, tones);
    cairo_t *cr = cairo_create(surface);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    // Dark hatching, thicker and denser where the ground is already dark.
    const double spacing = 5.0;
    for (double gy = 0.0; gy < height; gy += spacing) {
        for (double gx = 0.0; gx < width; gx += spacing) {
            const Vec seedAt = {gx + uniform(rng, 0.0, spacing), gy + uniform(rng, 0.0, spacing)};
            const int ix = std::clamp(static_cast<int>(seedAt.x), 0, width - 1);
            const int iy = std::clamp(static_cast<int>(seedAt.y), 0, height - 1);
            const double tone = tones[static_cast<std::size_t>(iy) * width + ix];
            const double ink = uniform(rng, 0.0, 0.35);
            cairo_set_source_rgba(cr, ink * 0.3, ink * 0.3, ink * 0.3,
                                  uniform(rng, 0.15, 0.5) * (1.1 - 0.7 * tone));
            cairo_set_line_width(cr, uniform(rng, 0.5, 1.5));
            hatch(cr, flow, seedAt, uniform(rng, 25.0, 110.0), width, height);
        }
    }

    // Light streaks riding the bright bands give the swirls their shine.
    for (int i = 0; i < 6000; ++i) {
        const Vec seedAt = {uniform(rng, 0.0, width), uniform(rng, 0.0, height)};
        const int ix = std::clamp(static_cast<int>(seedAt.x), 0, width - 1);
        const int iy = std::clamp(static_cast<int>(seedAt.y), 0, height - 1);
        const double tone = tones[static_cast<std::size_t>(iy) * width + ix];
        if (tone < uniform(rng, 0.3, 0.55)) continue;
        const bool glint = unit(rng) < 0.1;  // now and then a stroke of pure white
        const double light = glint ? 1.0 : uniform(rng, 0.8, 1.0);
        cairo_set_source_rgba(cr, light, light, light, glint ? 1.0 : uniform(rng, 0.2, 0.75));
        cairo_set_line_width(cr, uniform(rng, 0.5, 1.3));
        hatch(cr, flow, seedAt, uniform(rng, 20.0, 90.0), width, height);
    }

    GreyImage image = greyFromSurface(surface);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    addGrain(image, rng);
    return image;
}
