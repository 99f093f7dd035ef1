// Oscillators: band-limited (polyBLEP) saw and pulse, sine and pitch helpers; no dependencies.
#pragma once

#include <cmath>
#include <numbers>

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz); fractional notes detune.
inline double midiToHz(double note) {
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

// Correction that rounds off a unit step at phase 0 for a phase advancing dt per sample.
inline double polyBlep(double phase, double dt) {
    if (phase < dt) {
        const double t = phase / dt;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - dt) {
        const double t = (phase - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// One running phase in [0, 1).
struct Phasor {
    double phase = 0.0;
};

// Moves the phase on by dt (cycles per sample) and wraps it.
inline void advance(Phasor &osc, double dt) {
    osc.phase += dt;
    osc.phase -= std::floor(osc.phase);
}

// Band-limited saw in [-1, 1] at the current phase.
inline double sawWave(const Phasor &osc, double dt) {
    return 2.0 * osc.phase - 1.0 - polyBlep(osc.phase, dt);
}

// Band-limited pulse in [-1, 1] with duty cycle width (0.5 is a square).
inline double pulseWave(const Phasor &osc, double dt, double width) {
    double value = osc.phase < width ? 1.0 : -1.0;
    value += polyBlep(osc.phase, dt);
    double shifted = osc.phase + 1.0 - width;
    shifted -= std::floor(shifted);
    value -= polyBlep(shifted, dt);
    return value;
}

// Sine at the current phase.
inline double sineWave(const Phasor &osc) {
    return std::sin(2.0 * std::numbers::pi * osc.phase);
}
