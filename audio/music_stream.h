// The music as the show hears it: the decoder, a ring of its frames around the position heard,
// and the spectrum of the kSpectrumWindow frames heard from there on (mixed to mono, windowed,
// transformed). Every audio backend and glaxen-render's music read it here. No device and no
// thread of its own: a backend whose device has a thread locks around it.
// Needs: audio/vorbis_music.h (libvorbisfile), audio/spectrum.h (kissfft).
#pragma once

#include "audio/spectrum.h"
#include "audio/stream_ring.h"
#include "audio/vorbis_music.h"

#include <cstdint>
#include <vector>

struct MusicStream {
    VorbisMusic *music = nullptr;  // null: no stream
    StreamRing ring;               // decoded frames by stream position
    SpectrumAnalyzer *analyzer = nullptr;
    std::vector<float> window;  // the stereo frames of one spectrum read
    std::vector<float> mono;    // the same, mixed to one channel
};

// Sizes the ring for at least ringFrames and makes the analyser, once; false when out of memory.
bool musicStreamAllocate(MusicStream &stream, int ringFrames);

// Closes the music; what musicStreamAllocate made is kept.
void musicStreamClose(MusicStream &stream);

// Closes the music and frees everything.
void musicStreamFree(MusicStream &stream);

// Takes music, just opened, in place of the stream's (closed first), decoded from its first
// frame through decodeTo. Null when it has a frame; else "no sound in it", with no music left.
const char *musicStreamSet(MusicStream &stream, VorbisMusic *music, int64_t decodeTo);

// Back to the first frame, decoded through decodeTo; false when the music cannot seek there.
bool musicStreamRestart(MusicStream &stream, int64_t decodeTo);

// Decodes into the ring until it reaches until, the music ends, or its bytes run out for now.
void musicStreamFill(MusicStream &stream, int64_t until);

// True once the music is known to end at or before frame.
bool musicStreamEnded(const MusicStream &stream, int64_t frame);

// Holds the kSpectrumWindow frames from heard on in stream.window, decoding on to them, or
// seeking when they lie behind the ring or far ahead of it; frames past the end are silence.
// False, the window untouched, once the music has ended at heard.
bool musicStreamWindow(MusicStream &stream, int64_t heard);

// The spectrum of stream.window: mixed to mono, then kSpectrumSize magnitudes into out.
void musicWindowSpectrum(MusicStream &stream, float *out);

// The two above in one: the spectrum heard from frame heard on; false, out untouched, after the
// music's end.
bool musicStreamSpectrum(MusicStream &stream, int64_t heard, float *out);
