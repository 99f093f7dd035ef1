// Vorbis writer: planar stereo floats to a reproducible Ogg Vorbis file; needs libvorbisenc.
#pragma once

#include "stereo_buffer.h"

#include <cstdint>
#include <string>

struct VorbisSettings {
    int rate = 44100;
    float quality = 0.5f;               // VBR quality, 0.5 is about 160 kbit/s for stereo music
    std::uint32_t serial = 0x51333331;  // fixed stream serial so every run writes the same bytes
    const char *title = "";
    const char *artist = "";
};

// Encodes the buffer to path; returns false with a message in error on failure.
bool writeOggVorbis(const std::string &path, const StereoBuffer &audio,
                    const VorbisSettings &settings, std::string &error);
