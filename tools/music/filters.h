// Filters: a state-variable filter (low, band, high) and one-pole smoothers; no dependencies.
#pragma once

// Trapezoidal state-variable filter; stable under fast cutoff changes.
struct Svf {
    double g = 0.0;  // tan(pi * cutoff / rate)
    double k = 1.4;  // 1 / Q
    double s1 = 0.0;
    double s2 = 0.0;
};

struct SvfOutput {
    double low;
    double band;
    double high;
};

// Sets the cutoff (clamped below Nyquist) and Q.
void tuneSvf(Svf &filter, double cutoffHz, double q, int rate);

// Filters one sample.
SvfOutput stepSvf(Svf &filter, double input);

// One-pole low-pass: y += a * (x - y).
struct OnePole {
    double a = 1.0;
    double y = 0.0;
};

// Coefficient for a one-pole low-pass with the given cutoff.
double onePoleCoefficient(double cutoffHz, int rate);

// Filters one sample through the one-pole low-pass.
inline double stepLowPass(OnePole &filter, double input) {
    filter.y += filter.a * (input - filter.y);
    return filter.y;
}

// Filters one sample through the matching one-pole high-pass.
inline double stepHighPass(OnePole &filter, double input) {
    return input - stepLowPass(filter, input);
}
