// Audio files for the audio layer's tests and measurements: Ogg Vorbis written with libvorbisenc
// from a sample function (one link, or chained copies of one encoding), damaged copies, and a
// temporary folder to keep them in. Needs: libvorbisenc.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The sample of channel at frame, in -1..1.
using SampleFunction = std::function<float(int64_t frame, int channel)>;

// What to encode.
struct OggFormat {
    int rate = 44100;
    int channels = 2;
    int64_t frames = 44100;
    float quality = 0.4f;  // VBR quality, -0.1..1
    int serial = 1;        // the Ogg stream's serial (links of a chain need different ones)
};

// Encodes format.frames frames of sample to path; false when the encoder or the file refuses.
bool writeOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample);

// Encodes once and writes copies chained links of it, each under its own serial: a long file
// for the price of a short one.
bool writeChainedOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample,
                     int copies);

// The frequency at the centre of spectrum bin.
double binHz(int bin);

// A sine at hz of amplitude at frame, for a stream of rate.
float sineAt(double hz, double amplitude, int64_t frame, int rate);

// sample with white noise of amplitude added: more bytes to the second, so more pages.
SampleFunction withNoise(const SampleFunction &sample, double amplitude);

// A case's name as a test name: letters and digits kept, anything else an underscore.
std::string testName(const std::string &name);

// Writes bytes to path as they are.
bool writeBytes(const std::string &path, const std::string &bytes);

// The whole file; empty when it cannot be read.
std::string readBytes(const std::string &path);

// Keeps the first share (0..1) of the file's bytes.
bool truncateFile(const std::string &path, double share);

// Overwrites count bytes from share (0..1) of the way in with a fixed, not Ogg-like pattern.
bool damageFile(const std::string &path, double share, int count);

// A fresh folder under /tmp, removed with everything in it at the end of the scope.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    // The path of name in the folder.
    std::string file(const std::string &name) const { return path + "/" + name; }
};
