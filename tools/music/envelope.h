// Envelope: attack-decay-sustain-release levels in closed form for offline notes; no dependencies.
#pragma once

struct Adsr {
    double attack = 0.005;  // seconds, linear rise
    double decay = 0.2;     // seconds to fall most of the way to sustain
    double sustain = 0.7;   // level while held
    double release = 0.2;   // seconds to fade out after the note ends
};

// Level at time t after note-on for a note held `held` seconds; zero once released.
double adsrLevel(const Adsr &env, double t, double held);

// Seconds a note held `held` seconds keeps sounding.
inline double adsrLength(const Adsr &env, double held) {
    return held + env.release;
}

// Exponential fall: 1 at t = 0, 1/e at t = tau; zero before 0.
double decayLevel(double t, double tau);
