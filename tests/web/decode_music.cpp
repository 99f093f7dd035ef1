// decode_music: the first SECONDS of a music file as the audio core's decoder gives them, 44100 Hz
// stereo float32 frames, to compare with what the page plays.
// Usage: decode_music MUSIC.ogg OUTPUT.raw SECONDS
#include "audio/vorbis_music.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

// Decodes, then writes the frames read.
int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: decode_music MUSIC.ogg OUTPUT.raw SECONDS\n");
        return 2;
    }
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(argv[1], &error);
    if (music == nullptr) {
        std::fprintf(stderr, "decode_music: %s: %s\n", argv[1], vorbisOpenErrorText(error));
        return 1;
    }
    std::vector<float> frames(2 * static_cast<size_t>(std::atof(argv[3]) * kMusicRate));
    const int got = readVorbisMusic(music, frames.data(), static_cast<int>(frames.size() / 2));
    closeVorbisMusic(music);
    std::FILE *out = std::fopen(argv[2], "wb");
    const bool written =
        out && std::fwrite(frames.data(), sizeof(float), 2 * size_t(got), out) == 2 * size_t(got);
    if (out) std::fclose(out);
    return written ? 0 : 1;
}
