// Drums: synthesised kick, snare, clap, hi-hats, sleigh bells, crash and riser; needs rng.h.
#pragma once

#include "rng.h"
#include "stereo_buffer.h"

// Kick: a sine whose pitch falls from a click to a low thump, softly saturated.
void renderKick(StereoBuffer &out, double start, double gain);

// Snare: a tuned two-mode body plus band-passed noise; pan in [-1, 1].
void renderSnare(StereoBuffer &out, double start, double gain, double pan, Rng &rng);

// Clap: three quick noise bursts and a short tail, slightly different per side.
void renderClap(StereoBuffer &out, double start, double gain, Rng &rng);

// Hi-hat: metallic square cluster and noise, high-passed; decay in seconds sets closed or open.
void renderHat(StereoBuffer &out, double start, double gain, double decay, double pan, Rng &rng);

// Sleigh bells: a shake of several small jingles with bright inharmonic partials.
void renderSleighBells(StereoBuffer &out, double start, double gain, double pan, Rng &rng);

// Crash cymbal: long, wide, bright wash.
void renderCrash(StereoBuffer &out, double start, double gain, Rng &rng);

// Riser: noise through a band-pass sweeping upward, growing from start to end.
void renderRiser(StereoBuffer &out, double start, double end, double gain, Rng &rng);
