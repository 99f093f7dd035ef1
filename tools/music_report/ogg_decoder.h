// Ogg decoder: reads a whole Ogg Vorbis file into interleaved floats; needs libvorbisfile.
#pragma once

#include <string>
#include <vector>

struct DecodedAudio {
    int rate = 0;
    int channels = 0;
    long frames = 0;
    double nominalBitrate = 0.0;  // bits per second the encoder aimed for
    double averageBitrate = 0.0;  // bits per second over the whole file
    std::vector<float> samples;   // frames * channels, interleaved
};

// Decodes path; returns false with a message in error when the file is not readable Vorbis.
bool decodeOggVorbis(const std::string &path, DecodedAudio &audio, std::string &error);
