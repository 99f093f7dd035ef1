// Spectrum: Hann-windowed 2048-point real FFT through kissfft, scaled to sine amplitude / 2.
#include "audio/spectrum.h"

#include <kiss_fftr.h>

#include <cmath>
#include <new>
#include <numbers>

struct SpectrumAnalyzer {
    float window[kSpectrumWindow];               // periodic Hann, 0.5 * (1 - cos(2 pi n / N))
    float windowed[kSpectrumWindow];             // scratch: input times window
    kiss_fft_cpx bins[kSpectrumWindow / 2 + 1];  // scratch: FFT output
    kiss_fftr_cfg plan = nullptr;
};

// Allocates the window table, the FFT plan and scratch once; nullptr when out of memory.
SpectrumAnalyzer *createSpectrumAnalyzer() {
    auto *analyzer = new (std::nothrow) SpectrumAnalyzer;
    if (!analyzer) return nullptr;
    analyzer->plan = kiss_fftr_alloc(kSpectrumWindow, 0, nullptr, nullptr);
    if (!analyzer->plan) {
        delete analyzer;
        return nullptr;
    }
    for (int n = 0; n < kSpectrumWindow; ++n) {
        const double phase = 2.0 * std::numbers::pi * n / kSpectrumWindow;
        analyzer->window[n] = static_cast<float>(0.5 * (1.0 - std::cos(phase)));
    }
    return analyzer;
}

// Frees everything createSpectrumAnalyzer made; nullptr is allowed.
void destroySpectrumAnalyzer(SpectrumAnalyzer *analyzer) {
    if (!analyzer) return;
    kiss_fftr_free(analyzer->plan);
    delete analyzer;
}

// Mixes interleaved frames to one channel, the mean of the channels.
void mixToMono(const float *interleaved, int frames, int channels, float *mono) {
    if (channels == 1) {
        for (int i = 0; i < frames; ++i) mono[i] = interleaved[i];
        return;
    }
    const float scale = 1.0f / static_cast<float>(channels);
    for (int i = 0; i < frames; ++i) {
        const float *frame = interleaved + static_cast<long>(i) * channels;
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) sum += frame[c];
        mono[i] = sum * scale;
    }
}

// Windows the samples, transforms them and writes |X[k]| * 2 / N for k = 0..1023.
void analyzeSpectrum(SpectrumAnalyzer *analyzer, const float *mono, float *out) {
    for (int n = 0; n < kSpectrumWindow; ++n) analyzer->windowed[n] = mono[n] * analyzer->window[n];
    kiss_fftr(analyzer->plan, analyzer->windowed, analyzer->bins);
    constexpr float scale = 2.0f / kSpectrumWindow;
    for (int k = 0; k < kSpectrumSize; ++k) {
        const float re = analyzer->bins[k].r;
        const float im = analyzer->bins[k].i;
        out[k] = std::sqrt(re * re + im * im) * scale;
    }
}
