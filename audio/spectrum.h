// The spectrum function: kSpectrumSize magnitudes of 2048 mono samples (periodic Hann, real
// FFT), and the mono mix before it. Needs: kissfft.
#pragma once

#include "show/show_platform.h"

constexpr int kSpectrumWindow = 2 * kSpectrumSize;  // samples per read

struct SpectrumAnalyzer;  // window table, FFT plan and scratch

// Allocates the window table, the FFT plan and scratch once; nullptr when out of memory.
SpectrumAnalyzer *createSpectrumAnalyzer();

// Frees everything createSpectrumAnalyzer made; nullptr is allowed.
void destroySpectrumAnalyzer(SpectrumAnalyzer *analyzer);

// Mixes interleaved frames to one channel, the mean of the channels.
void mixToMono(const float *interleaved, int frames, int channels, float *mono);

// Writes the 1024 magnitudes of 2048 mono samples: |X[k]| * 2 / 2048, so a full-scale sine
// at the centre of bin k reads 0.5 there.
void analyzeSpectrum(SpectrumAnalyzer *analyzer, const float *mono, float *out);
