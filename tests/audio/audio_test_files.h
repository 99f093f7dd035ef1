// Audio files for the audio layer's tests and measurements: Ogg Vorbis written with libvorbisenc
// from a sample function (one link, or chained copies of one encoding), bytes that arrive a few
// at a time, a temporary folder to keep them in, the spectrum of decoded frames, and the show's
// audio table over a device. Needs: libvorbisenc, audio/show_audio.h.
#pragma once

#include "audio/show_audio.h"

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
bool writeOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample,
              int copies = 1);

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

// The spectrum of kSpectrumWindow mono samples.
std::vector<float> spectrumOf(const float *mono);
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

// A file's bytes in memory as MusicBytes, the first `arrived` of them here.
struct ArrivingBytes {
    std::string all;
    size_t arrived = 0;
    MusicBytes bytes;
    explicit ArrivingBytes(std::string whole = "", size_t here = 0);
    ArrivingBytes(const ArrivingBytes &) = delete;
    ArrivingBytes &operator=(const ArrivingBytes &) = delete;
    static ArrivingBytes &of(void *user) { return *static_cast<ArrivingBytes *>(user); }
};

// A fresh folder under /tmp, removed with everything in it at the end of the scope.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string file(const std::string &name) const { return path + "/" + name; }
};

// The show's audio table over a Device whose backend the test sets, freed at the end of the scope.
template <class Device> struct AudioOn {
    Device device;
    AudioPlayer state;
    ShowAudio audio = showAudio(&state);
    ~AudioOn() { audio.free(audio.user); }
    bool init() { return audio.init(audio.user, 1, kMusicRate, 0); }
    uint32_t open(const std::string &path) {
        return audio.streamCreateFile(audio.user, path.c_str(), 0, 0, 0);
    }
    bool play(uint32_t handle) { return audio.channelPlay(audio.user, handle, false); }
    bool volume(uint32_t volume) { return audio.setVolume(audio.user, volume); }
    bool stop() { return audio.stop(audio.user); }
    bool free() { return audio.free(audio.user); }
    int32_t read(uint32_t handle, std::vector<float> &spectrum,
                 uint32_t flags = kAudioDataFft2048) {
        return audio.channelGetData(audio.user, handle, spectrum.data(), flags);
    }
    int64_t heard() { return audioHeardFrame(state); }
};
