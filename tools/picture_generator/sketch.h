// Sketch strokes: plain polylines and fills that make up the doodle's motifs; needs cairo.
#pragma once

#include <cairo.h>

#include <vector>

struct Pt {
    double x = 0.0;
    double y = 0.0;
};

// How a stroke puts ink down.
enum class Ink {
    line,   // stroked black outline
    solid,  // filled black
    hole,   // filled white, for highlights inside solids
};

struct Stroke {
    std::vector<Pt> points;
    Ink ink = Ink::line;
    bool closed = false;
    bool opaque = false;    // closed shape that hides what lies behind it
    bool newLayer = false;  // starts a group drawn in front of the earlier strokes
    double width = 2.0;     // pen width in pixels, for lines
};

using Motif = std::vector<Stroke>;

// Points of an ellipse arc from angle a0 to a1 (radians), n + 1 points.
std::vector<Pt> arcPoints(Pt centre, double rx, double ry, double a0, double a1, int n);

// A closed ellipse as n points, rotated by tilt.
std::vector<Pt> ellipsePoints(Pt centre, double rx, double ry, double tilt, int n);

// A smooth curve through the control points (Catmull-Rom), steps points per segment.
std::vector<Pt> smoothCurve(const std::vector<Pt> &controls, int steps);

// Splits segments so no piece is longer than maxStep.
std::vector<Pt> resampled(const std::vector<Pt> &points, bool closed, double maxStep);

// Draws a motif: per layer, a white halo of the given width, then the black ink.
void drawMotif(cairo_t *cr, const Motif &motif, double halo);
