// Spectrum: 1024 magnitudes of 2048 mono samples (periodic Hann, real FFT); needs kissfft.
#pragma once

constexpr int kSpectrumSize = 1024;    // magnitudes per read
constexpr int kSpectrumWindow = 2048;  // samples per read

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
