// Filters: coefficient set-up and the per-sample state-variable step.
#include "filters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// Sets the cutoff (clamped below Nyquist) and Q.
void tuneSvf(Svf &filter, double cutoffHz, double q, int rate) {
    const double limited = std::clamp(cutoffHz, 10.0, 0.45 * rate);
    filter.g = std::tan(std::numbers::pi * limited / rate);
    filter.k = 1.0 / std::max(q, 0.1);
}

// Filters one sample.
SvfOutput stepSvf(Svf &filter, double input) {
    const double g = filter.g;
    const double k = filter.k;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double v3 = input - filter.s2;
    const double v1 = a1 * filter.s1 + g * a1 * v3;
    const double v2 = filter.s2 + g * v1;
    filter.s1 = 2.0 * v1 - filter.s1;
    filter.s2 = 2.0 * v2 - filter.s2;
    return SvfOutput{v2, v1, input - k * v1 - v2};
}

// Coefficient for a one-pole low-pass with the given cutoff.
double onePoleCoefficient(double cutoffHz, int rate) {
    return 1.0 - std::exp(-2.0 * std::numbers::pi * cutoffHz / rate);
}
