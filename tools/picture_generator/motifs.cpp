// Doodle motifs: spirals, curls, stars, snowflakes, holly, bells and friends as stroke lists.
#include "motifs.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------- stroke helpers

// An open pen line.
Stroke line(std::vector<Pt> points, double pen) {
    Stroke s;
    s.points = std::move(points);
    s.width = pen;
    return s;
}

// A closed outline that hides what lies behind it.
Stroke shape(std::vector<Pt> points, double pen, bool newLayer = false) {
    Stroke s;
    s.points = std::move(points);
    s.width = pen;
    s.closed = true;
    s.opaque = true;
    s.newLayer = newLayer;
    return s;
}

// A filled black blob.
Stroke solid(std::vector<Pt> points) {
    Stroke s;
    s.points = std::move(points);
    s.ink = Ink::solid;
    s.closed = true;
    return s;
}

// A white highlight inside a solid.
Stroke hole(std::vector<Pt> points) {
    Stroke s;
    s.points = std::move(points);
    s.ink = Ink::hole;
    s.closed = true;
    return s;
}

// Point at radius r and angle a.
Pt polar(double r, double a) {
    return {r * std::cos(a), r * std::sin(a)};
}

// Returns +1 or -1 with equal chance.
double sign(Rng &rng) {
    return (nextBits(rng) & 1) ? 1.0 : -1.0;
}

// A shiny berry: solid disc with a small white glint.
void addBerry(Motif &m, Pt c, double r) {
    m.push_back(solid(ellipsePoints(c, r, r, 0.0, 24)));
    m.push_back(hole(ellipsePoints({c.x - 0.35 * r, c.y - 0.35 * r}, 0.28 * r, 0.28 * r, 0.0, 12)));
}

}  // namespace

// ---------------------------------------------------------------- main motifs

// A wound-up spiral, sometimes with a second line following it inwards.
Motif spiralMotif(Rng &rng, double pen) {
    Motif m;
    const double turns = uniform(rng, 2.2, 4.2);
    const double dir = sign(rng);
    const int n = static_cast<int>(90 * turns);
    const double lines = unit(rng) < 0.35 ? 2 : 1;
    for (int k = 0; k < lines; ++k) {
        std::vector<Pt> points;
        const double shift = k * 0.11;
        for (int i = 0; i <= n; ++i) {
            const double t = static_cast<double>(i) / n;
            const double r = 0.05 + 0.95 * t - shift;
            if (r < 0.04) continue;
            points.push_back(polar(r, dir * 2.0 * kPi * turns * t));
        }
        m.push_back(line(points, pen));
    }
    return m;
}

// A row of cursive loops along a gently bent line.
Motif curlsMotif(Rng &rng, double pen) {
    const int loops = uniformInt(rng, 4, 7);
    const double r = uniform(rng, 0.16, 0.24);
    const double bend = uniform(rng, -0.5, 0.5);
    const double dir = sign(rng);
    const int n = loops * 60;
    std::vector<Pt> points;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double a = dir * 2.0 * kPi * loops * t + kPi / 2.0;
        const double bx = -1.0 + r + 2.0 * (1.0 - r) * t;
        const double by = bend * std::sin(kPi * t) - r * 0.2;
        points.push_back({bx + r * std::cos(a), by + r * std::sin(a)});
    }
    return {line(points, pen)};
}

// A five-pointed star with an inner star or twinkle lines.
Motif starMotif(Rng &rng, double pen) {
    Motif m;
    const int tips = unit(rng) < 0.8 ? 5 : 6;
    const double inner = uniform(rng, 0.4, 0.5);
    std::vector<Pt> outline;
    for (int i = 0; i < 2 * tips; ++i) {
        outline.push_back(polar(i % 2 ? inner : 1.0, -kPi / 2.0 + kPi * i / tips));
    }
    m.push_back(shape(outline, pen));
    if (unit(rng) < 0.5) {
        std::vector<Pt> small;
        for (const Pt &p : outline) small.push_back({p.x * 0.45, p.y * 0.45});
        Stroke s = line(small, pen * 0.8);
        s.closed = true;
        m.push_back(s);
    } else {
        for (int i = 0; i < tips; ++i) {
            const double a = -kPi / 2.0 + kPi * (2 * i + 1) / tips;
            m.push_back(line({polar(0.62, a), polar(0.86, a)}, pen * 0.8));
        }
    }
    return m;
}

// A six-armed snowflake with forked branches.
Motif snowflakeMotif(Rng &rng, double pen) {
    Motif m;
    const double spread = uniform(rng, 0.6, 0.9);
    const double first = uniform(rng, 0.35, 0.5);
    const bool tipped = unit(rng) < 0.5;
    for (int j = 0; j < 6; ++j) {
        const double a = kPi * j / 3.0;
        const Pt dir = polar(1.0, a);
        const Pt side = {-dir.y, dir.x};
        m.push_back(line({polar(0.18, a), polar(1.0, a)}, pen));
        for (double u : {first, first + 0.27}) {
            const double len = 0.34 * (1.1 - u);
            const Pt base = {dir.x * u, dir.y * u};
            const double along = len * std::cos(spread);
            const double across = len * std::sin(spread);
            const Pt left = {base.x + dir.x * along + side.x * across,
                             base.y + dir.y * along + side.y * across};
            const Pt right = {base.x + dir.x * along - side.x * across,
                              base.y + dir.y * along - side.y * across};
            m.push_back(line({left, base, right}, pen * 0.85));
        }
        if (tipped) m.push_back(solid(ellipsePoints(polar(1.0, a), 0.07, 0.07, 0.0, 12)));
    }
    std::vector<Pt> hexagon;
    for (int j = 0; j < 6; ++j) hexagon.push_back(polar(0.18, kPi * j / 3.0 + kPi / 6.0));
    Stroke centre = line(hexagon, pen);
    centre.closed = true;
    m.push_back(centre);
    return m;
}

// Two or three spiky holly leaves with a cluster of berries.
Motif hollyMotif(Rng &rng, double pen) {
    Motif m;
    const int leaves = uniformInt(rng, 2, 3);
    const double base = uniform(rng, 0.0, 2.0 * kPi);
    const int spikes = uniformInt(rng, 3, 4);
    for (int k = 0; k < leaves; ++k) {
        const double a = base + (k - 0.5 * (leaves - 1)) * uniform(rng, 1.0, 1.3);
        const Pt dir = polar(1.0, a);
        const Pt side = {-dir.y, dir.x};
        std::vector<Pt> outline;
        const int n = 80;
        for (int s = 0; s < 2; ++s) {
            for (int i = 0; i <= n; ++i) {
                const double u =
                    s == 0 ? static_cast<double>(i) / n : 1.0 - static_cast<double>(i) / n;
                const double w = 0.3 * std::pow(std::sin(kPi * u), 0.7) *
                                 (1.0 - 0.35 * std::fabs(std::sin(kPi * spikes * u)));
                const double across = s == 0 ? w : -w;
                const double along = 0.1 + 0.9 * u;
                outline.push_back(
                    {dir.x * along + side.x * across, dir.y * along + side.y * across});
            }
        }
        m.push_back(shape(outline, pen));
        m.push_back(line({polar(0.15, a), polar(0.88, a)}, pen * 0.8));
    }
    const Pt back = polar(-0.12, base);
    addBerry(m, {back.x - 0.1, back.y + 0.04}, 0.13);
    addBerry(m, {back.x + 0.12, back.y + 0.02}, 0.12);
    addBerry(m, {back.x, back.y - 0.13}, 0.12);
    m[m.size() - 6].newLayer = true;
    return m;
}

// A swinging bell with a rim, a band, a clapper and a bow.
Motif bellMotif(Rng &rng, double pen) {
    Motif m;
    const double flare = uniform(rng, 0.58, 0.7);
    const std::vector<Pt> right = smoothCurve({{0.0, -0.78},
                                               {0.2, -0.74},
                                               {0.32, -0.55},
                                               {0.34, -0.2},
                                               {0.4, 0.15},
                                               {0.5 * flare / 0.64, 0.38},
                                               {flare, 0.5}},
                                              10);
    std::vector<Pt> outline = right;
    const std::vector<Pt> lip = arcPoints({0.0, 0.5}, flare, 0.1, 0.0, kPi, 30);
    outline.insert(outline.end(), lip.begin() + 1, lip.end() - 1);
    for (auto it = right.rbegin(); it != right.rend() - 1; ++it) outline.push_back({-it->x, it->y});
    m.push_back(solid(ellipsePoints({0.0, 0.64}, 0.11, 0.11, 0.0, 20)));
    Stroke body = shape(outline, pen, true);
    m.push_back(body);
    m.push_back(line(arcPoints({0.0, 0.5}, flare, 0.1, kPi, 2.0 * kPi, 30), pen * 0.8));
    m.push_back(line(arcPoints({0.0, 0.14}, 0.42, 0.07, 0.0, kPi, 24), pen * 0.8));
    m.push_back(line(arcPoints({0.0, 0.26}, 0.46, 0.07, 0.0, kPi, 24), pen * 0.8));
    Stroke loopLeft = shape(ellipsePoints({-0.22, -0.88}, 0.2, 0.1, 0.3, 30), pen, true);
    m.push_back(loopLeft);
    m.push_back(shape(ellipsePoints({0.22, -0.88}, 0.2, 0.1, -0.3, 30), pen));
    m.push_back(line({{-0.03, -0.84}, {-0.12, -0.62}}, pen));
    m.push_back(line({{0.03, -0.84}, {0.14, -0.6}}, pen));
    m.push_back(solid(ellipsePoints({0.0, -0.86}, 0.07, 0.06, 0.0, 16)));
    return m;
}

// A round bauble with a cap, a hook and zigzag bands.
Motif baubleMotif(Rng &rng, double pen) {
    Motif m;
    const Pt c = {0.0, 0.12};
    const double r = 0.78;
    m.push_back(line(ellipsePoints({0.0, -0.86}, 0.08, 0.1, 0.0, 20), pen * 0.8));
    m.back().closed = true;
    m.push_back(shape(ellipsePoints(c, r, r, 0.0, 80), pen, true));
    const double zig = uniform(rng, 0.06, 0.09);
    for (double y : {-0.08, 0.36}) {
        const double w = std::sqrt(r * r - (y - c.y) * (y - c.y)) - 0.03;
        std::vector<Pt> band;
        const int teeth = static_cast<int>(2.0 * w / 0.13);
        for (int i = 0; i <= teeth; ++i) {
            band.push_back({-w + 2.0 * w * i / teeth, y + (i % 2 ? -zig : zig)});
        }
        m.push_back(line(band, pen * 0.8));
    }
    for (int i = -2; i <= 2; ++i) {
        m.push_back(solid(ellipsePoints({0.22 * i, 0.14}, 0.05, 0.05, 0.0, 12)));
    }
    m.push_back(shape({{-0.17, -0.8}, {0.17, -0.8}, {0.17, -0.62}, {-0.17, -0.62}}, pen, true));
    return m;
}

// A three-tier fir tree with garlands, baubles and a star on top.
Motif treeMotif(Rng &rng, double pen) {
    Motif m;
    const double lean = uniform(rng, -0.05, 0.05);
    const std::vector<Pt> right = {{0.0, -0.9}, {0.35, -0.42}, {0.16, -0.44}, {0.55, 0.06},
                                   {0.3, 0.04}, {0.75, 0.56},  {0.13, 0.56},  {0.13, 0.88}};
    std::vector<Pt> outline = right;
    for (auto it = right.rbegin(); it != right.rend() - 1; ++it) outline.push_back({-it->x, it->y});
    for (auto &p : outline) p.x += lean * (0.9 - p.y);
    m.push_back(shape(outline, pen, true));
    m.push_back(line(smoothCurve({{-0.2, -0.5}, {0.0, -0.38}, {0.22, -0.52}}, 8), pen * 0.8));
    m.push_back(line(smoothCurve({{-0.4, -0.02}, {0.0, 0.12}, {0.42, -0.06}}, 8), pen * 0.8));
    m.push_back(line(smoothCurve({{-0.58, 0.46}, {0.0, 0.36}, {0.55, 0.5}}, 8), pen * 0.8));
    for (const Pt p : {Pt{0.1, -0.25}, Pt{-0.22, 0.22}, Pt{0.25, 0.25}, Pt{-0.08, 0.44}}) {
        m.push_back(solid(ellipsePoints(p, 0.06, 0.06, 0.0, 12)));
    }
    std::vector<Pt> star;
    for (int i = 0; i < 10; ++i) {
        const Pt q = polar(i % 2 ? 0.08 : 0.2, -kPi / 2.0 + kPi * i / 5.0);
        star.push_back({q.x, q.y - 0.92});
    }
    m.push_back(solid(star));
    m.back().newLayer = true;
    return m;
}

// A striped candy cane.
Motif candyCaneMotif(Rng &rng, double pen) {
    Motif m;
    std::vector<Pt> centre;
    for (int i = 0; i <= 20; ++i) centre.push_back({0.22, 0.95 - 1.3 * i / 20.0});
    const std::vector<Pt> hook = arcPoints({-0.08, -0.35}, 0.3, 0.3, 0.0, -kPi, 30);
    centre.insert(centre.end(), hook.begin() + 1, hook.end());
    for (int i = 1; i <= 5; ++i) centre.push_back({-0.38, -0.35 + 0.2 * i / 5.0});
    const double h = uniform(rng, 0.09, 0.12);
    std::vector<Pt> left;
    std::vector<Pt> right;
    for (std::size_t i = 0; i < centre.size(); ++i) {
        const Pt &a = centre[i == 0 ? 0 : i - 1];
        const Pt &b = centre[i + 1 < centre.size() ? i + 1 : i];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        const Pt n = {-(b.y - a.y) / len, (b.x - a.x) / len};
        left.push_back({centre[i].x + n.x * h, centre[i].y + n.y * h});
        right.push_back({centre[i].x - n.x * h, centre[i].y - n.y * h});
    }
    std::vector<Pt> outline = left;
    outline.insert(outline.end(), right.rbegin(), right.rend());
    m.push_back(shape(outline, pen, true));
    const std::size_t period = 8;
    for (std::size_t i = 2; i + period / 2 + 3 < centre.size(); i += period) {
        m.push_back(
            solid({left[i], left[i + 3], right[i + 3 + period / 2], right[i + period / 2]}));
    }
    return m;
}

// A daisy of looping petals around a dotted middle.
Motif flowerMotif(Rng &rng, double pen) {
    Motif m;
    const int petals = uniformInt(rng, 6, 9);
    const double turn = uniform(rng, 0.0, kPi);
    for (int i = 0; i < petals; ++i) {
        const double a = turn + 2.0 * kPi * i / petals;
        const Pt c = polar(0.6, a);
        m.push_back(shape(ellipsePoints(c, 0.4, 0.17, a, 36), pen));
    }
    m.push_back(shape(ellipsePoints({0.0, 0.0}, 0.25, 0.25, 0.0, 36), pen, true));
    for (int i = 0; i < 3; ++i) {
        m.push_back(
            solid(ellipsePoints(polar(0.1, turn + 2.0 * kPi * i / 3.0), 0.045, 0.045, 0.0, 10)));
    }
    return m;
}

// A restless pen scribble of drifting ovals.
Motif scribbleMotif(Rng &rng, double pen) {
    const int loops = uniformInt(rng, 6, 10);
    const double a = uniform(rng, 0.75, 0.95);
    const double b = uniform(rng, 0.3, 0.5);
    const double sense = sign(rng);
    const double spin = uniform(rng, 0.3, 0.8) * sense;
    const double phase = uniform(rng, 0.0, 2.0 * kPi);
    const int n = loops * 50;
    std::vector<Pt> points;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double u = 2.0 * kPi * loops * t;
        const double tilt = spin * loops * t;
        const double x = a * std::cos(u);
        const double y = b * std::sin(u);
        points.push_back(
            {0.12 * std::sin(2.0 * kPi * t + phase) + x * std::cos(tilt) - y * std::sin(tilt),
             0.12 * std::cos(3.0 * kPi * t + phase) + x * std::sin(tilt) + y * std::cos(tilt)});
    }
    return {line(points, pen * 0.75)};
}

// A round sun with wavy rays.
Motif sunMotif(Rng &rng, double pen) {
    Motif m;
    const int rays = uniformInt(rng, 10, 14);
    for (int i = 0; i < rays; ++i) {
        const double a = 2.0 * kPi * i / rays;
        const Pt dir = polar(1.0, a);
        const Pt side = {-dir.y, dir.x};
        std::vector<Pt> ray;
        for (int k = 0; k <= 20; ++k) {
            const double u = 0.48 + 0.5 * k / 20.0;
            const double w = 0.06 * std::sin(3.0 * kPi * k / 20.0);
            ray.push_back({dir.x * u + side.x * w, dir.y * u + side.y * w});
        }
        m.push_back(line(ray, pen));
    }
    m.push_back(shape(ellipsePoints({0.0, 0.0}, 0.38, 0.38, 0.0, 50), pen, true));
    const double dir = sign(rng);
    std::vector<Pt> swirl;
    for (int i = 0; i <= 120; ++i) {
        const double t = i / 120.0;
        swirl.push_back(polar(0.03 + 0.24 * t, dir * 4.0 * kPi * t));
    }
    m.push_back(line(swirl, pen * 0.8));
    return m;
}

// A wrapped present with ribbon and bow.
Motif giftMotif(Rng &rng, double pen) {
    Motif m;
    const double w = uniform(rng, 0.55, 0.7);
    m.push_back(shape({{-w, -0.2}, {w, -0.2}, {w, 0.8}, {-w, 0.8}}, pen));
    m.push_back(line({{-0.08, -0.2}, {-0.08, 0.8}}, pen * 0.8));
    m.push_back(line({{0.08, -0.2}, {0.08, 0.8}}, pen * 0.8));
    m.push_back(shape({{-w - 0.08, -0.4}, {w + 0.08, -0.4}, {w + 0.08, -0.2}, {-w - 0.08, -0.2}},
                      pen, true));
    m.push_back(line({{-0.08, -0.4}, {-0.08, -0.2}}, pen * 0.8));
    m.push_back(line({{0.08, -0.4}, {0.08, -0.2}}, pen * 0.8));
    m.push_back(shape(ellipsePoints({-0.27, -0.56}, 0.27, 0.13, 0.35, 30), pen, true));
    m.push_back(shape(ellipsePoints({0.27, -0.56}, 0.27, 0.13, -0.35, 30), pen));
    m.push_back(solid(ellipsePoints({0.0, -0.44}, 0.08, 0.07, 0.0, 14)));
    for (int i = 0; i < 5; ++i) {
        const double y = 0.05 + 0.17 * i;
        m.push_back(solid(ellipsePoints({-w * 0.55, y}, 0.035, 0.035, 0.0, 10)));
        m.push_back(solid(ellipsePoints({w * 0.55, y + 0.08}, 0.035, 0.035, 0.0, 10)));
    }
    return m;
}

// A crescent moon with two little twinkles.
Motif moonMotif(Rng &rng, double pen) {
    Motif m;
    const double tip = uniform(rng, 1.85, 2.0);
    const Pt top = polar(0.9, -tip);
    const double cx = -0.45;
    const double ri = std::hypot(top.x - cx, top.y);
    const double inner = std::atan2(-top.y, top.x - cx);
    std::vector<Pt> outline = arcPoints({0.0, 0.0}, 0.9, 0.9, -tip, tip, 50);
    const std::vector<Pt> back = arcPoints({cx, 0.0}, ri, ri, inner, -inner, 40);
    outline.insert(outline.end(), back.begin() + 1, back.end() - 1);
    m.push_back(shape(outline, pen));
    for (const Pt c : {Pt{-0.35, -0.15}, Pt{-0.15, 0.35}}) {
        std::vector<Pt> twinkle;
        for (int i = 0; i < 8; ++i) {
            const Pt q = polar(i % 2 ? 0.04 : 0.16, kPi * i / 4.0);
            twinkle.push_back({c.x + q.x, c.y + q.y});
        }
        m.push_back(solid(twinkle));
    }
    return m;
}

// ---------------------------------------------------------------- fillers

// A four-pointed twinkle, solid or outlined.
Motif sparkleMotif(Rng &rng, double pen) {
    std::vector<Pt> points;
    const double waist = uniform(rng, 0.18, 0.3);
    for (int i = 0; i < 8; ++i) points.push_back(polar(i % 2 ? waist : 1.0, kPi * i / 4.0));
    const std::vector<Pt> smooth = resampled(points, true, 0.05);
    if (unit(rng) < 0.5) return {solid(smooth)};
    return {shape(smooth, pen)};
}

// A few dots and rings scattered like confetti.
Motif dotsMotif(Rng &rng, double pen) {
    Motif m;
    const int count = uniformInt(rng, 3, 6);
    for (int i = 0; i < count; ++i) {
        const double rAt = uniform(rng, 0.0, 0.8);
        const Pt c = polar(rAt, uniform(rng, 0.0, 2.0 * kPi));
        const double r = uniform(rng, 0.1, 0.22);
        if (unit(rng) < 0.6) {
            m.push_back(solid(ellipsePoints(c, r, r, 0.0, 20)));
        } else {
            m.push_back(shape(ellipsePoints(c, r, r, 0.0, 24), pen * 0.8));
        }
    }
    return m;
}
