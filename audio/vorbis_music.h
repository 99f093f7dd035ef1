// A streaming Ogg Vorbis music decoder: reads any file's links, layouts and rates as 44100 Hz
// interleaved stereo floats, a block at a time, and seeks to any frame. It reads a file, or bytes
// still arriving (a page's download), decoding as far as they go. Needs: libvorbisfile.
#pragma once

#include "audio/vorbis_convert.h"

#include <cstddef>
#include <cstdint>

struct VorbisMusic;  // the open file, its current link and the rate converter

// Why a file did not open.
enum class VorbisOpenError {
    kNone,
    kMissing,
    kUnreadable,
    kNotAFile,  // a FIFO, a device or a folder: never waited on
    kNotVorbis,
    kUnsupportedRate,
    kIncomplete  // bytes still arriving, too few yet to tell: open again once more are here
};

// The first link's own format, and how many links the file chains.
struct VorbisMusicSource {
    int rate = 0;
    int channels = 0;
    int links = 0;
    long bitrate = 0;  // the first link's nominal bits a second; 0 when it gives none
};

// A music file's bytes as they arrive, read from wherever they are kept. Every function gets
// user first; the bytes from 0 to arrived() never change.
struct MusicBytes {
    void *user = nullptr;
    // Copies up to size bytes from offset on into out: how many, fewer at the arrived end.
    size_t (*read)(void *user, int64_t offset, void *out, size_t size) = nullptr;
    int64_t (*arrived)(void *user) = nullptr;  // bytes here now
    bool (*complete)(void *user) = nullptr;    // true once they are the whole file
};

// Opens path for streaming (nothing is decoded yet); nullptr, with the reason in *error when
// given, when it is missing, unreadable, not a regular file, not Ogg Vorbis or at a rate
// outside 1-384 kHz. A FIFO is refused at once, not waited on.
VorbisMusic *openVorbisMusic(const char *path, VorbisOpenError *error = nullptr);

// Opens music from bytes (which must outlive it) that may still be arriving: nullptr with the
// reason as openVorbisMusic gives it, or kIncomplete while the bytes so far start like Ogg but
// are too few to open. Until every byte has arrived it reads as far as they go and seeks only
// to its first frame; then it seeks anywhere.
VorbisMusic *openVorbisMusicBytes(const MusicBytes *bytes, VorbisOpenError *error = nullptr);

// A short English text for an open error.
const char *vorbisOpenErrorText(VorbisOpenError error);

// Closes the file; nullptr is allowed.
void closeVorbisMusic(VorbisMusic *music);

// Reads up to count frames of 44100 Hz stereo into frames (2 * count floats). Damaged parts are
// skipped. Returns fewer at the end of the music, and 0 after it; music still arriving also
// returns fewer where its bytes run out (vorbisMusicWaiting), and reads on once more are here.
int readVorbisMusic(VorbisMusic *music, float *frames, int count);

// True when the last read stopped at bytes that have not arrived yet rather than at the end.
bool vorbisMusicWaiting(const VorbisMusic *music);

// Moves so the next read starts at frame (44100 Hz), giving the same samples a read from the
// start would; past the end, reads give 0. False when the file cannot seek (music still
// arriving: but to its first frame).
bool seekVorbisMusic(VorbisMusic *music, int64_t frame);

// The music's length in 44100 Hz frames as the file's pages tell it; -1 when it cannot seek.
int64_t vorbisMusicLength(const VorbisMusic *music);

// The format of the file's first link.
VorbisMusicSource vorbisMusicSource(const VorbisMusic *music);
