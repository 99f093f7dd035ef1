// Sketch strokes: curve helpers and the halo-then-ink drawing that layers motifs over each other.
#include "sketch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// Points of an ellipse arc from angle a0 to a1 (radians), n + 1 points.
std::vector<Pt> arcPoints(Pt centre, double rx, double ry, double a0, double a1, int n) {
    std::vector<Pt> points;
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + (a1 - a0) * i / n;
        points.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)});
    }
    return points;
}

// A closed ellipse as n points, rotated by tilt.
std::vector<Pt> ellipsePoints(Pt centre, double rx, double ry, double tilt, int n) {
    std::vector<Pt> points;
    const double c = std::cos(tilt);
    const double s = std::sin(tilt);
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * std::numbers::pi * i / n;
        const double x = rx * std::cos(a);
        const double y = ry * std::sin(a);
        points.push_back({centre.x + c * x - s * y, centre.y + s * x + c * y});
    }
    return points;
}

// A smooth curve through the control points (Catmull-Rom), steps points per segment.
std::vector<Pt> smoothCurve(const std::vector<Pt> &controls, int steps) {
    std::vector<Pt> points;
    const int n = static_cast<int>(controls.size());
    if (n < 2) return controls;
    for (int i = 0; i + 1 < n; ++i) {
        const Pt &p0 = controls[static_cast<std::size_t>(std::max(i - 1, 0))];
        const Pt &p1 = controls[static_cast<std::size_t>(i)];
        const Pt &p2 = controls[static_cast<std::size_t>(i + 1)];
        const Pt &p3 = controls[static_cast<std::size_t>(std::min(i + 2, n - 1))];
        for (int k = 0; k < steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            const double t2 = t * t;
            const double t3 = t2 * t;
            auto blend = [&](double a, double b, double c, double d) {
                return 0.5 * (2.0 * b + (-a + c) * t + (2.0 * a - 5.0 * b + 4.0 * c - d) * t2 +
                              (-a + 3.0 * b - 3.0 * c + d) * t3);
            };
            points.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    points.push_back(controls.back());
    return points;
}

// Splits segments so no piece is longer than maxStep.
std::vector<Pt> resampled(const std::vector<Pt> &points, bool closed, double maxStep) {
    std::vector<Pt> out;
    const std::size_t n = points.size();
    if (n < 2) return points;
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const Pt &a = points[i];
        const Pt &b = points[(i + 1) % n];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const int pieces = std::max(1, static_cast<int>(std::ceil(length / maxStep)));
        for (int k = 0; k < pieces; ++k) {
            const double t = static_cast<double>(k) / pieces;
            out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        }
    }
    if (!closed) out.push_back(points.back());
    return out;
}

namespace {

// Adds the stroke's outline to the current Cairo path.
void trace(cairo_t *cr, const Stroke &stroke) {
    cairo_new_path(cr);
    if (stroke.points.empty()) return;
    cairo_move_to(cr, stroke.points[0].x, stroke.points[0].y);
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
        cairo_line_to(cr, stroke.points[i].x, stroke.points[i].y);
    }
    if (stroke.closed) cairo_close_path(cr);
}

// Clears the space a layer will occupy so it reads in front of older ink.
void drawHalo(cairo_t *cr, const Stroke &stroke, double halo) {
    trace(cr, stroke);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    if (stroke.ink != Ink::line || (stroke.closed && stroke.opaque)) cairo_fill_preserve(cr);
    cairo_set_line_width(cr, (stroke.ink == Ink::line ? stroke.width : 0.0) + halo);
    cairo_stroke(cr);
}

// Puts the stroke's own ink down.
void drawInk(cairo_t *cr, const Stroke &stroke) {
    trace(cr, stroke);
    switch (stroke.ink) {
    case Ink::line:
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_set_line_width(cr, stroke.width);
        cairo_stroke(cr);
        break;
    case Ink::solid:
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_fill(cr);
        break;
    case Ink::hole:
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_fill(cr);
        break;
    }
}

}  // namespace

// Draws a motif: per layer, a white halo of the given width, then the black ink.
void drawMotif(cairo_t *cr, const Motif &motif, double halo) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    std::size_t begin = 0;
    while (begin < motif.size()) {
        std::size_t end = begin + 1;
        while (end < motif.size() && !motif[end].newLayer) ++end;
        for (std::size_t i = begin; i < end; ++i) {
            if (motif[i].ink != Ink::hole) drawHalo(cr, motif[i], halo);
        }
        for (std::size_t i = begin; i < end; ++i) drawInk(cr, motif[i]);
        begin = end;
    }
}
