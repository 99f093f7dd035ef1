// Master bus: final high-pass, glue compressor, look-ahead limiter, fades; needs stereo_buffer.h.
#pragma once

#include "stereo_buffer.h"

struct MasterSettings {
    double gain = 1.0;               // applied before the dynamics
    double compressThreshold = 0.8;  // linear peak level where compression starts
    double compressRatio = 2.0;
    double ceiling = 0.84;  // limiter output never exceeds this (about -1.5 dBFS)
    double fadeInSeconds = 0.004;
    double fadeOutStart = 136.0;  // seconds; gain falls to zero from here
    double silenceFrom = 141.2;   // seconds; exact digital silence from here on
};

// Runs the master chain in place.
void processMaster(StereoBuffer &mix, const MasterSettings &settings);

// Largest absolute sample in the buffer.
double peakLevel(const StereoBuffer &mix);
