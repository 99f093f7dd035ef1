// Synth voices: the pitched instruments, each rendering one note into a stereo bus; needs rng.h.
#pragma once

#include "rng.h"
#include "stereo_buffer.h"

// One note of the score in absolute time.
struct Note {
    double start = 0.0;     // seconds from the top of the track
    double length = 0.0;    // seconds held
    double pitch = 60.0;    // MIDI note number
    double velocity = 1.0;  // 0..1, scales level and brightness
};

// Detuned-saw lead with a filter sweep, delayed vibrato and a stereo spread of width (0..1).
void renderLead(StereoBuffer &out, const Note &note, double width, double brightness, Rng &rng);

// Short plucked saw-and-pulse voice whose filter closes quickly; pan in [-1, 1].
void renderPluck(StereoBuffer &out, const Note &note, double pan, Rng &rng);

// Slow, wide pad of detuned saws under a gently moving low-pass at cutoff Hz.
void renderPad(StereoBuffer &out, const Note &note, double cutoff, Rng &rng);

// Mono bass: saw and sine through an enveloped resonant low-pass, softly saturated.
void renderBass(StereoBuffer &out, const Note &note, double brightness);

// Glockenspiel: struck-bar partials (additive, all below Nyquist); pan in [-1, 1].
void renderGlockenspiel(StereoBuffer &out, const Note &note, double pan);

// Soft organ-like pulse of a few harmonics, centred, for the pumping middle voice.
void renderPulse(StereoBuffer &out, const Note &note);

// Short square-ish arpeggio blip; pan in [-1, 1].
void renderArp(StereoBuffer &out, const Note &note, double pan);
