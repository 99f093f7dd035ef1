// Where the spectra of a show computed on the virtual clock come from: nowhere (silent), a file
// of spectra (one a frame), or the music, heard at each frame's time through the same stream
// and spectrum read as a live show's. Needs: audio/music_stream.h.
#pragma once

#include "audio/music_stream.h"

#include <cstdint>
#include <cstdio>
#include <string>

enum class SpectrumKind { kSilent, kFile, kMusic };

struct SpectrumSource {
    SpectrumKind kind = SpectrumKind::kSilent;
    FILE *file = nullptr;     // kFile: the spectra, kSpectrumSize floats a frame
    uint64_t fileFrames = 0;  // kFile: how many spectra it holds
    MusicStream music;        // kMusic
};

// Opens the source asked for; false with a message when the input is unusable.
bool openSilentSource(SpectrumSource &source);
bool openSpectrumFile(SpectrumSource &source, const std::string &path, std::string &error);
bool openMusicSource(SpectrumSource &source, const std::string &path, std::string &error);

// The spectrum of video frame `frame` at `milliseconds`: true with out filled, or false
// (out untouched) when there is no stream or it has ended, as the live audio layer does.
bool readSpectrum(SpectrumSource &source, uint64_t frame, uint32_t milliseconds, float *out);

void closeSpectrumSource(SpectrumSource &source);
