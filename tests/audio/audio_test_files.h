// Audio files for the audio layer's tests and measurements: Ogg Vorbis written with libvorbisenc
// from a sample function (one link, or chained copies of one encoding), damaged copies, a
// temporary folder to keep them in, and the spectrum of decoded frames. Needs: libvorbisenc,
// audio/spectrum.h (kissfft).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Encodes once and writes copies chained links of it, each under its own serial (a long file
// for the price of a short one); false when the encoder or the file refuses.
bool writeChainedOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample,
                     int copies);
// One link.
bool writeOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample);

// The frequency at the centre of spectrum bin, at 44100 Hz.
double binHz(int bin);
// A sine at hz of amplitude at frame, for a stream of rate.
float sineAt(double hz, double amplitude, int64_t frame, int rate);
// A sine at bin's centre on every channel, for a stream of rate.
SampleFunction binTone(int bin, double amplitude, int rate);
// sample with white noise of amplitude added: more bytes to the second, so more pages.
SampleFunction withNoise(const SampleFunction &sample, double amplitude);

// Frames first to first + count of a file from the decoder, silence outside it.
std::vector<float> decodedFrames(const std::string &path, int64_t first, int64_t count);

// The spectrum of 2048 interleaved stereo frames from first on: of channel 0 or 1, or of
// their mix (2).
std::vector<float> spectrumAt(const std::vector<float> &stereo, int64_t first, int channel);
// The bin with the largest magnitude.
int peakBin(const std::vector<float> &spectrum);
// Where got first differs from expected, as a line of text; empty when they are the same.
std::string firstDifference(const std::vector<float> &got, const std::vector<float> &expected);

// Writes bytes to path as they are; reads a whole file (empty when it cannot).
bool writeBytes(const std::string &path, const std::string &bytes);
std::string readBytes(const std::string &path);
// Overwrites the bytes from share from to share to (0..1) of the way in with a fixed, not
// Ogg-like pattern, or cuts them out.
bool damageFile(const std::string &path, double from, double to, bool cut = false);

// A fresh folder under /tmp, removed with everything in it at the end of the scope.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string file(const std::string &name) const { return path + "/" + name; }
};
