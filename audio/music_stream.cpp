// The music as the show hears it (see music_stream.h).
#include "audio/music_stream.h"

#include <algorithm>

namespace {

constexpr int64_t kSeekBeyond = 10 * int64_t{kMusicRate};  // a jump further ahead seeks

// Starts the ring at frame with the decoder there; a decoder that cannot seek ends the music.
void seekTo(MusicStream &s, int64_t frame) {
    ringRestart(s.ring, frame);
    if (!seekVorbisMusic(s.music, frame)) s.ring.length = frame;
}

}  // namespace

// The window holds one read's frames; the analyser its plan and scratch.
bool musicStreamAllocate(MusicStream &s, int ringFrames) {
    if (s.analyzer == nullptr) s.analyzer = createSpectrumAnalyzer();
    ringAllocate(s.ring, ringFrames);
    s.window.assign(2 * kSpectrumWindow, 0.0f);
    s.mono.assign(kSpectrumWindow, 0.0f);
    return s.analyzer != nullptr;
}

// The ring forgets the music's frames too.
void musicStreamClose(MusicStream &s) {
    closeVorbisMusic(s.music);
    s.music = nullptr;
    ringRestart(s.ring, 0);
}

// As made by the default constructor.
void musicStreamFree(MusicStream &s) {
    musicStreamClose(s);
    destroySpectrumAnalyzer(s.analyzer);
    s = MusicStream{};
}

// A file that opens but gives no frame is no stream either.
const char *musicStreamSet(MusicStream &s, VorbisMusic *music, int64_t decodeTo) {
    musicStreamClose(s);
    s.music = music;
    musicStreamFill(s, decodeTo);
    if (s.ring.length != 0) return nullptr;
    musicStreamClose(s);
    return "no sound in it";
}

// A seek to 0 gives what a fresh open would.
bool musicStreamRestart(MusicStream &s, int64_t decodeTo) {
    ringRestart(s.ring, 0);
    if (!seekVorbisMusic(s.music, 0)) return false;
    musicStreamFill(s, decodeTo);
    return true;
}

// The ring's free span at a time; a short read is the music's end, or where its bytes have
// not arrived yet.
void musicStreamFill(MusicStream &s, int64_t until) {
    StreamRing &ring = s.ring;
    while (s.music && ring.length < 0 && ring.end < until) {
        int space = 0;
        float *span = ringWriteSpan(ring, &space);
        const int want = static_cast<int>(std::min<int64_t>(space, until - ring.end));
        const int got = readVorbisMusic(s.music, span, want);
        ringCommit(ring, got);
        if (got == want) continue;
        if (!vorbisMusicWaiting(s.music)) ring.length = ring.end;
        break;
    }
}

// Only a decoded end is known.
bool musicStreamEnded(const MusicStream &s, int64_t frame) {
    return s.ring.length >= 0 && frame >= s.ring.length;
}

// A device that pulls keeps the ring ahead of what it plays, so there the window is always
// held already; a reader on its own clock (a page, the renderer) decodes it here.
bool musicStreamWindow(MusicStream &s, int64_t heard) {
    if (s.music == nullptr || musicStreamEnded(s, heard)) return false;
    const int64_t from = std::max<int64_t>(0, heard);
    if (from < ringOldest(s.ring) || from > s.ring.end + kSeekBeyond) seekTo(s, from);
    musicStreamFill(s, heard + kSpectrumWindow);
    if (musicStreamEnded(s, heard)) return false;
    ringCopy(s.ring, heard, kSpectrumWindow, 1.0f, s.window.data());
    return true;
}

// The mean of the two channels, then the spectrum function.
void musicWindowSpectrum(MusicStream &s, float *out) {
    mixToMono(s.window.data(), kSpectrumWindow, kMusicChannels, s.mono.data());
    analyzeSpectrum(s.analyzer, s.mono.data(), out);
}

// The window, then its spectrum.
bool musicStreamSpectrum(MusicStream &s, int64_t heard, float *out) {
    if (!musicStreamWindow(s, heard)) return false;
    musicWindowSpectrum(s, out);
    return true;
}
