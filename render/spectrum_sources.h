// Where glaxen-render's spectra come from: nowhere (silent), a file of spectra, or the music,
// decoded and analysed with the same spectrum function as the live show's audio layer.
// Needs: platform/vorbis (decoding), show/spectrum.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct VorbisMusic;
struct SpectrumAnalyzer;

enum class SpectrumKind { kSilent, kFile, kMusic };

struct SpectrumSource {
    SpectrumKind kind = SpectrumKind::kSilent;
    FILE *file = nullptr;                  // kFile: the spectra, 1024 floats a frame
    uint64_t fileFrames = 0;               // kFile: how many spectra it holds
    VorbisMusic *music = nullptr;          // kMusic: the decoder, 44100 Hz stereo
    SpectrumAnalyzer *analyzer = nullptr;  // kMusic: the show's spectrum function
    std::vector<float> window;             // kMusic: decoded stereo frames from windowStart on
    int windowFrames = 0;                  // kMusic: frames held in window
    uint64_t windowStart = 0;              // kMusic: the music frame of window[0]
    bool musicEnded = false;               // kMusic: the decoder has given its last frame
    std::vector<float> mono;               // kMusic: the 2048 samples of one read
};

// Opens the source the options ask for; false with a message when the input is unusable.
bool openSilentSource(SpectrumSource &source);
bool openSpectrumFile(SpectrumSource &source, const std::string &path, std::string &error);
bool openMusicSource(SpectrumSource &source, const std::string &path, std::string &error);

// The music's spectrum at milliseconds into it (render/music_spectrum.cpp).
bool readMusicSpectrum(SpectrumSource &source, uint32_t milliseconds, float *out);

// The spectrum of video frame `frame` at `milliseconds`: true with out filled, or false
// (out untouched) when there is no stream or it has ended, as the live audio layer does.
bool readSpectrum(SpectrumSource &source, uint64_t frame, uint32_t milliseconds, float *out);

void closeSpectrumSource(SpectrumSource &source);
