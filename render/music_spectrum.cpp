// glaxen-render's music source: the music decoded as the live audio layer decodes it, and the
// 2048 samples from a frame's time analysed with the same spectrum function.
#include "render/spectrum_sources.h"

#include "platform/vorbis/vorbis_music.h"
#include "show/spectrum.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kWindowCapacity = 4 * kSpectrumWindow;  // frames decoded ahead at most
constexpr uint64_t kSeekBeyond = 10 * kMusicRate;     // a jump further than this seeks

// Restarts the window at frame, decoding from there.
void restartAt(SpectrumSource &s, uint64_t frame) {
    s.musicEnded = !seekVorbisMusic(s.music, static_cast<int64_t>(frame));
    s.windowStart = frame;
    s.windowFrames = 0;
}

// Makes the window start at frame and hold the 2048 frames from there, or what is left.
void fillWindow(SpectrumSource &s, uint64_t frame) {
    const uint64_t held = s.windowStart + s.windowFrames;
    if (frame < s.windowStart || frame > held + kSeekBeyond) {
        restartAt(s, frame);
    } else if (frame >= held) {  // a short way ahead: decode through it
        s.windowStart = held;
        s.windowFrames = 0;
        while (s.windowStart < frame && !s.musicEnded) {
            const int skip =
                static_cast<int>(std::min<uint64_t>(frame - s.windowStart, kWindowCapacity));
            const int got = readVorbisMusic(s.music, s.window.data(), skip);
            s.windowStart += got;
            s.musicEnded = got < skip;
        }
    } else {  // inside the window: drop what lies before frame
        const int drop = static_cast<int>(frame - s.windowStart);
        std::memmove(s.window.data(), s.window.data() + 2 * drop,
                     sizeof(float) * 2 * (s.windowFrames - drop));
        s.windowStart = frame;
        s.windowFrames -= drop;
    }
    while (s.windowFrames < kSpectrumWindow && !s.musicEnded) {
        const int want = kWindowCapacity - s.windowFrames;
        const int got = readVorbisMusic(s.music, s.window.data() + 2 * s.windowFrames, want);
        s.windowFrames += got;
        s.musicEnded = got < want;
    }
}

}  // namespace

// The decoder and the analyser, made once.
bool openMusicSource(SpectrumSource &source, const std::string &path, std::string &error) {
    source.kind = SpectrumKind::kMusic;
    VorbisOpenError why = VorbisOpenError::kNone;
    source.music = openVorbisMusic(path.c_str(), &why);
    if (source.music == nullptr) {
        error = "cannot read the music " + path + ": " + vorbisOpenErrorText(why) +
                " (--silent renders without it)";
        return false;
    }
    source.analyzer = createSpectrumAnalyzer();
    source.window.assign(2 * kWindowCapacity, 0.0f);
    source.mono.assign(kSpectrumWindow, 0.0f);
    return source.analyzer != nullptr;
}

// Samples past the end count as zeros; once the music has ended there is no spectrum.
bool readMusicSpectrum(SpectrumSource &s, uint32_t milliseconds, float *out) {
    const uint64_t frame = static_cast<uint64_t>(milliseconds) * kMusicRate / 1000;
    fillWindow(s, frame);
    if (s.windowFrames == 0) return false;
    const int frames = std::min(s.windowFrames, kSpectrumWindow);
    mixToMono(s.window.data(), frames, kMusicChannels, s.mono.data());
    std::fill(s.mono.begin() + frames, s.mono.end(), 0.0f);
    analyzeSpectrum(s.analyzer, s.mono.data(), out);
    return true;
}

// Closes whatever the source opened.
void closeSpectrumSource(SpectrumSource &source) {
    if (source.file) std::fclose(source.file);
    source.file = nullptr;
    closeVorbisMusic(source.music);
    source.music = nullptr;
    destroySpectrumAnalyzer(source.analyzer);
    source.analyzer = nullptr;
}
