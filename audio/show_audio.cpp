// The show's audio library over a device backend (see show_audio.h).
#include "audio/show_audio.h"

#include <algorithm>
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

// Takes music just opened as the stream, decoded through its first frames; null, or the reason
// it will not play (the stream then closed).
const char *setMusic(AudioPlayer &p, VorbisMusic *music) {
    lock(p);
    rewind(p);
    const char *why = musicStreamSet(p.stream, music, decodeAhead(p));
    unlock(p);
    return why;
}

// The one line for a stream that will not play; the stream and its handle go.
void refuse(AudioPlayer &p, const char *file, const char *why) {
    lock(p);
    musicStreamClose(p.stream);
    unlock(p);
    p.handle = 0;
    p.arriving = nullptr;
    std::fprintf(stderr, "glaxen: cannot play %s: %s; the show runs silent\n", file, why);
}

// Opens the arriving bytes once kOpenStep more have come since the last try, or all have: null
// while they may yet open or once they have (the stream set), else why they will not play.
const char *openArrived(AudioPlayer &p) {
    constexpr int64_t kOpenStep = 16 * 1024;
    const MusicBytes &bytes = *p.arriving;
    if (p.backend.fetchError)
        if (const char *why = p.backend.fetchError(p.backend.user)) return why;
    const int64_t arrived = bytes.arrived(bytes.user);
    if (!bytes.complete(bytes.user) && arrived < p.arrivingTried + kOpenStep) return nullptr;
    p.arrivingTried = arrived;
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusicBytes(&bytes, &error);
    if (error == VorbisOpenError::kIncomplete) return nullptr;
    const char *why = music ? setMusic(p, music) : vorbisOpenErrorText(error);
    if (why && p.backend.fetchRejected) p.backend.fetchRejected(p.backend.user);
    p.arriving = nullptr;
    return why;
}

// Opens file, or starts fetching it where the backend can (p.arriving then holds its bytes);
// null, with the reason in *why, when neither works.
VorbisMusic *openMusic(AudioPlayer &p, const char *file, const char **why) {
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(file, &error);
    if (music == nullptr && error == VorbisOpenError::kMissing && p.backend.fetch) {
        p.arriving = p.backend.fetch(p.backend.user, file, why);
        p.arrivingFile = file;
        p.arrivingTried = 0;
        return nullptr;
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

// Opens the whole file and decodes its first frames, or starts fetching it; 0 without a device,
// and with one line on standard error when the file cannot be played. A new stream replaces the
// old one.
uint32_t audioStreamCreateFile(void *user, const char *file, uint64_t, uint64_t, uint32_t) {
    AudioPlayer &p = playerOf(user);
    if (!p.deviceOpen) return 0;
    p.handle = 0;
    p.arriving = nullptr;
    lock(p);
    rewind(p);
    musicStreamClose(p.stream);
    unlock(p);
    const char *why = nullptr;
    VorbisMusic *music = openMusic(p, file, &why);
    if (music) why = setMusic(p, music);
    if (p.arriving) why = openArrived(p);
    if (why != nullptr) {
        refuse(p, file, why);
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
    if (handle == 0 || handle != p.handle || p.stream.music == nullptr) return false;
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

// The frames decoded from the next one sent on; past the end the stream has none.
int audioPullable(AudioPlayer &p, int frames) {
    if (!p.playing || p.stream.music == nullptr) return 0;
    musicStreamFill(p.stream, p.sent + frames + kSpectrumWindow);
    const StreamRing &ring = p.stream.ring;
    const int64_t end = ring.length >= 0 ? std::min(ring.end, ring.length) : ring.end;
    return static_cast<int>(std::clamp<int64_t>(end - p.sent, 0, frames));
}

// Arriving: opened when it can be; open: playable once it has a first frame.
AudioStreamState audioStreamArrive(AudioPlayer &p) {
    if (p.handle == 0) return AudioStreamState::kNone;
    const char *why = p.arriving ? openArrived(p) : nullptr;
    if (why == nullptr && p.arriving) return AudioStreamState::kArriving;
    lock(p);
    musicStreamFill(p.stream, decodeAhead(p));
    const int64_t decoded = p.stream.ring.end, length = p.stream.ring.length;
    unlock(p);
    if (why == nullptr && length == 0) why = "no sound in it";
    if (why != nullptr) {
        refuse(p, p.arrivingFile.c_str(), why);
        return AudioStreamState::kNone;
    }
    return decoded > 0 ? AudioStreamState::kPlayable : AudioStreamState::kArriving;
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
