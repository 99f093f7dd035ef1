// A streaming Ogg Vorbis music decoder: reads any file's links, layouts and rates as 44100 Hz
// interleaved stereo floats, a block at a time, and seeks to any frame. Needs: libvorbisfile.
#pragma once

#include "audio/vorbis_convert.h"

#include <cstdint>

struct VorbisMusic;  // the open file, its current link and the rate converter

// Why a file did not open.
enum class VorbisOpenError {
    kNone,
    kMissing,
    kUnreadable,
    kNotAFile,  // a FIFO, a device or a folder: never waited on
    kNotVorbis,
    kUnsupportedRate
};

// The first link's own format, and how many links the file chains.
struct VorbisMusicSource {
    int rate = 0;
    int channels = 0;
    int links = 0;
};

// Opens path for streaming (nothing is decoded yet); nullptr, with the reason in *error when
// given, when it is missing, unreadable, not a regular file, not Ogg Vorbis or at a rate
// outside 1-384 kHz. A FIFO is refused at once, not waited on.
VorbisMusic *openVorbisMusic(const char *path, VorbisOpenError *error = nullptr);

// A short English text for an open error.
const char *vorbisOpenErrorText(VorbisOpenError error);

// Closes the file; nullptr is allowed.
void closeVorbisMusic(VorbisMusic *music);

// Reads up to count frames of 44100 Hz stereo into frames (2 * count floats). Damaged parts are
// skipped. Returns fewer only at the end of the music, and 0 after it.
int readVorbisMusic(VorbisMusic *music, float *frames, int count);

// Moves so the next read starts at frame (44100 Hz), giving the same samples a read from the
// start would; past the end, reads give 0. False when the file cannot seek.
bool seekVorbisMusic(VorbisMusic *music, int64_t frame);

// The music's length in 44100 Hz frames as the file's pages tell it; -1 when it cannot seek.
int64_t vorbisMusicLength(const VorbisMusic *music);

// The format of the file's first link.
VorbisMusicSource vorbisMusicSource(const VorbisMusic *music);
