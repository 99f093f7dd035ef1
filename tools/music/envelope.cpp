// Envelope levels: linear attack, exponential decay and release that end exactly at zero.
#include "envelope.h"

#include <algorithm>
#include <cmath>

namespace {

// Level of attack then decay toward sustain, ignoring the release.
double heldLevel(const Adsr &env, double t) {
    if (t < env.attack) return t / env.attack;
    const double fall = std::exp(-4.0 * (t - env.attack) / env.decay);
    return env.sustain + (1.0 - env.sustain) * fall;
}

}  // namespace

// Level at time t after note-on for a note held `held` seconds; zero once released.
double adsrLevel(const Adsr &env, double t, double held) {
    if (t < 0.0) return 0.0;
    if (t < held) return heldLevel(env, t);
    const double since = t - held;
    if (since >= env.release) return 0.0;
    // Exponential fall to about 1 % scaled by a linear ramp so the very end is exactly zero.
    const double x = since / env.release;
    return heldLevel(env, held) * std::exp(-4.6 * x) * (1.0 - x);
}

// Exponential fall: 1 at t = 0, 1/e at t = tau; zero before 0.
double decayLevel(double t, double tau) {
    return t < 0.0 ? 0.0 : std::exp(-t / std::max(tau, 1e-6));
}
