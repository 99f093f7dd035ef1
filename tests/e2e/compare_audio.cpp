// compare_audio: checks that SDL's disk audio output starts with a music file's first samples.
// Usage: compare_audio OUTPUT.raw MUSIC.ogg [BUFFER_FRAMES [MIN_SECONDS]]
// OUTPUT is 32-bit float stereo at kMusicRate, as the show's device writes it. A paused device
// writes silence, a buffer at a time, until the show plays; so the output must be whole
// buffers of silence, then the music from its first frame (the music's own silent start
// included), matching to within rounding for at least MIN_SECONDS. Prints one line; exit
// status 0 when it holds. Needs: the audio core's decoder.
#include "audio/vorbis_music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr double kTolerance = 2.0 / 32768;  // a 16-bit step either way, for format conversions

// Frames at the start where both channels are exactly zero.
size_t silentFrames(const std::vector<float> &stereo) {
    size_t n = 0;
    while (2 * n + 1 < stereo.size() && stereo[2 * n] == 0.0f && stereo[2 * n + 1] == 0.0f) ++n;
    return n;
}

// Decodes up to frames frames of the music, as the show's decoder gives them; false with a
// message if it cannot.
bool decode(const char *path, size_t frames, std::vector<float> &stereo) {
    VorbisMusic *music = openVorbisMusic(path);
    if (music == nullptr) {
        std::printf("cannot decode %s\n", path);
        return false;
    }
    stereo.resize(2 * frames);
    stereo.resize(2 * size_t(readVorbisMusic(music, stereo.data(), int(frames))));
    closeVorbisMusic(music);
    return true;
}

}  // namespace

// Reads both, finds where the music starts in the output, compares from there.
int main(int argc, char **argv) {
    if (argc < 3) {
        std::printf("usage: compare_audio OUTPUT.raw MUSIC.ogg [BUFFER_FRAMES [MIN_SECONDS]]\n");
        return 2;
    }
    const size_t buffer = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1024;
    const double minSeconds = argc > 4 ? std::atof(argv[4]) : 1.0;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<float> output(bytes.size() / sizeof(float));
    std::copy_n(bytes.data(), output.size() * sizeof(float),
                reinterpret_cast<char *>(output.data()));
    const size_t frames = output.size() / 2;
    std::vector<float> music;
    if (!decode(argv[2], frames, music)) return 1;

    const size_t lead = silentFrames(output), quiet = silentFrames(music);
    if (lead == frames) {
        std::printf("the output (%zu frames) is silent\n", frames);
        return 1;
    }
    if (lead < quiet || (lead - quiet) % buffer != 0) {
        std::printf("the music starts %zu frames in (the music's own silence is %zu frames), "
                    "not after whole %zu-frame buffers of silence\n",
                    lead, quiet, buffer);
        return 1;
    }
    const size_t start = lead - quiet;
    const size_t count = std::min(frames - start, music.size() / 2);
    if (double(count) < minSeconds * kMusicRate) {
        std::printf("only %zu frames of music in the output\n", count);
        return 1;
    }
    double worst = 0.0;
    size_t worstAt = 0;
    for (size_t i = 0; i < 2 * count; ++i) {
        const double difference = std::abs(double(output[2 * start + i]) - music[i]);
        if (difference > worst) {
            worst = difference;
            worstAt = i / 2;
        }
    }
    if (worst > kTolerance) {
        std::printf("frame %zu of the music differs by %g (more than %g)\n", worstAt, worst,
                    kTolerance);
        return 1;
    }
    std::printf("%zu buffers of silence while paused, then %.2f s of the music from its first "
                "frame, within %g\n",
                start / buffer, double(count) / kMusicRate, worst);
    return 0;
}
