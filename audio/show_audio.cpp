// The show's audio library over a device backend (see show_audio.h).
#include "audio/show_audio.h"

#include <cstdio>

namespace {

// The player behind the table's user pointer.
AudioPlayer &playerOf(void *user) {
    return *static_cast<AudioPlayer *>(user);
}

// Keeps a device's thread out while the player's shared state changes.
void lock(AudioPlayer &p) {
    if (p.deviceOpen && p.backend.lock) p.backend.lock(p.backend.user);
}
void unlock(AudioPlayer &p) {
    if (p.deviceOpen && p.backend.unlock) p.backend.unlock(p.backend.user);
}

// Frames decoded past the device's latest buffer: one spectrum read's worth.
int64_t decodeAhead(const AudioPlayer &p) {
    return p.deviceFrames + kSpectrumWindow;
}

// The stream frame heard now (under the lock).
int64_t heardNow(AudioPlayer &p) {
    if (p.backend.heardFrame) return p.backend.heardFrame(p.backend.user);
    return heardFrame(p.clock, monotonicNs());
}

// Nothing handed over to the device, nothing playing (under the lock).
void rewind(AudioPlayer &p) {
    p.sent = 0;
    p.playing = false;
    clockReset(p.clock, p.deviceFrames);
}

// The stream from its first frame again (under the lock).
bool restartStream(AudioPlayer &p) {
    rewind(p);
    return musicStreamRestart(p.stream, decodeAhead(p));
}

// Opens file, fetching it first where the backend can; null with the reason in *why.
VorbisMusic *openMusic(AudioPlayer &p, const char *file, const char **why) {
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(file, &error);
    if (music == nullptr && error == VorbisOpenError::kMissing && p.backend.fetch) {
        *why = p.backend.fetch(p.backend.user, file);
        if (*why != nullptr) return nullptr;
        music = openVorbisMusic(file, &error);
    }
    if (music == nullptr) *why = vorbisOpenErrorText(error);
    return music;
}

// ---------------------------------------------------------------- the table
// The eight calls the main routine makes, with the parameters it has always passed: the device
// number, the frequency, the flags and the file's offset and length mean nothing here.

// The interface version this library implements.
uint32_t audioGetVersion(void *) {
    return kAudioVersion;
}

// Opens the default device at kMusicRate whatever is asked; without one, a line on standard
// error, and the show runs silent.
bool audioInit(void *user, int, uint32_t, uint32_t) {
    AudioPlayer &p = playerOf(user);
    if (p.deviceOpen) return true;
    int frames = 0;
    std::string why;
    p.deviceOpen = p.backend.open(p.backend.user, p, &frames, &why);
    p.deviceFrames = frames;
    if (p.deviceOpen && !musicStreamAllocate(p.stream, 3 * frames + 2 * kSpectrumWindow)) {
        audioRelease(p);
        why = "out of memory";
    }
    if (!p.deviceOpen) {
        std::fprintf(stderr, "glaxen: no audio device; the show runs silent%s%s%s\n",
                     why.empty() ? "" : " (", why.c_str(), why.empty() ? "" : ")");
        return false;
    }
    clockReset(p.clock, frames);
    if (p.backend.setGain) p.backend.setGain(p.backend.user, p.gain);
    return true;
}

// Opens the whole file and decodes its first frames; 0 without a device, and with one line on
// standard error when the file cannot be played. A new stream replaces the old one.
uint32_t audioStreamCreateFile(void *user, const char *file, uint64_t, uint64_t, uint32_t) {
    AudioPlayer &p = playerOf(user);
    if (!p.deviceOpen) return 0;
    p.handle = 0;
    const char *why = nullptr;
    VorbisMusic *music = openMusic(p, file, &why);
    lock(p);
    rewind(p);
    if (music)
        why = musicStreamSet(p.stream, music, decodeAhead(p));
    else
        musicStreamClose(p.stream);
    unlock(p);
    if (why == nullptr && p.backend.load) why = p.backend.load(p.backend.user, file);
    if (why != nullptr) {
        lock(p);
        musicStreamClose(p.stream);
        unlock(p);
        std::fprintf(stderr, "glaxen: cannot play %s: %s; the show runs silent\n", file, why);
        return 0;
    }
    p.lastHandle = p.lastHandle + 1 == 0 ? 1 : p.lastHandle + 1;  // never 0
    p.handle = p.lastHandle;
    return p.handle;
}

// Output volume 0-100 (more is full); the spectrum is of the stream, so it does not change.
bool audioSetVolume(void *user, uint32_t volume) {
    AudioPlayer &p = playerOf(user);
    const float gain = static_cast<float>(volume < 100 ? volume : 100) / 100.0f;
    lock(p);
    p.gain = gain;
    unlock(p);
    if (p.deviceOpen && p.backend.setGain) p.backend.setGain(p.backend.user, gain);
    return p.deviceOpen;
}

// Plays on from where the stream is; from the first frame again when asked to restart or when
// it has played to its end.
bool audioChannelPlay(void *user, uint32_t handle, bool restart) {
    AudioPlayer &p = playerOf(user);
    if (handle == 0 || handle != p.handle) return false;
    lock(p);
    bool ready = true;
    if (restart || musicStreamEnded(p.stream, heardNow(p))) ready = restartStream(p);
    p.playing = ready;
    unlock(p);
    if (ready) p.backend.start(p.backend.user);
    return ready;
}

// The spectrum of the kSpectrumWindow frames from the heard position on: the frames taken
// under the lock, analysed outside it. -1, the buffer untouched, without the stream or after
// its end.
int32_t audioChannelGetData(void *user, uint32_t handle, float *buffer, uint32_t lengthFlags) {
    AudioPlayer &p = playerOf(user);
    if (handle == 0 || handle != p.handle || lengthFlags != kAudioDataFft2048) return -1;
    lock(p);
    const bool held = musicStreamWindow(p.stream, heardNow(p));
    unlock(p);
    if (!held) return -1;
    musicWindowSpectrum(p.stream, buffer);
    return kSpectrumSize * static_cast<int32_t>(sizeof(float));
}

// Pauses the device; the heard position stays where it is.
bool audioStop(void *user) {
    AudioPlayer &p = playerOf(user);
    if (!p.deviceOpen) return false;
    p.backend.stop(p.backend.user);
    lock(p);
    if (!p.backend.heardFrame) clockFreeze(p.clock, monotonicNs());
    p.playing = false;
    unlock(p);
    return true;
}

// Everything goes.
bool audioFree(void *user) {
    return audioRelease(playerOf(user));
}

}  // namespace

// The eight functions over player.
ShowAudio showAudio(AudioPlayer *player) {
    return {player,         audioGetVersion,  audioInit,           audioStreamCreateFile,
            audioSetVolume, audioChannelPlay, audioChannelGetData, audioStop,
            audioFree};
}

// Times the buffer from the stream frame it starts at.
bool audioHandOver(AudioPlayer &p, int frames) {
    if (!p.playing || p.stream.music == nullptr) return false;
    clockHandOver(p.clock, p.sent, frames, monotonicNs());
    return true;
}

// Decoded a spectrum read ahead of what goes out.
void audioPull(AudioPlayer &p, float *stereo, int frames) {
    musicStreamFill(p.stream, p.sent + frames + kSpectrumWindow);
    ringCopy(p.stream.ring, p.sent, frames, p.gain, stereo);
    p.sent += frames;
}

// Under the lock, since a device's thread moves the clock.
int64_t audioHeardFrame(AudioPlayer &p) {
    lock(p);
    const int64_t heard = p.deviceOpen ? heardNow(p) : 0;
    unlock(p);
    return heard;
}

// Closing the device first ends its thread, so the rest can go without the lock. The player is
// as new but for its backend and its handles, which go on counting.
bool audioRelease(AudioPlayer &p) {
    const bool wasOpen = p.deviceOpen;
    if (p.deviceOpen) p.backend.close(p.backend.user);
    musicStreamFree(p.stream);
    const AudioBackend backend = p.backend;
    const uint32_t lastHandle = p.lastHandle;
    p = AudioPlayer{};
    p.backend = backend;
    p.lastHandle = lastHandle;
    return wasOpen;
}
