// The audio layer over SDL2 (see sdl2_audio.h): the device and its callback, the stream, the
// spectrum read, and the ShowAudio table.
#include "platform/sdl2/sdl2_audio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// The layer's state behind a table's user pointer.
Sdl2Audio &audioOf(void *user) {
    return *static_cast<Sdl2Audio *>(user);
}

// The monotonic clock in nanoseconds, for the heard position.
int64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// Decodes into the ring until it reaches until or the music ends.
void fillRing(Sdl2Audio &audio, int64_t until) {
    StreamRing &ring = audio.ring;
    while (ring.length < 0 && ring.end < until) {
        int space = 0;
        float *span = ringWriteSpan(ring, &space);
        const int want = static_cast<int>(std::min<int64_t>(space, until - ring.end));
        const int got = readVorbisMusic(audio.music, span, want);
        ringCommit(ring, got);
        if (got < want) ring.length = ring.end;
    }
}

// The stream from its first frame again, nothing handed over yet (under the lock).
void restartStream(Sdl2Audio &audio) {
    ringClear(audio.ring);
    audio.sent = 0;
    clockReset(audio.clock, audio.obtained.samples);
    audio.playing = false;
    fillRing(audio, audio.obtained.samples + kAudioDecodeAhead);
}

// SDL's audio thread asks for len bytes: the next frames of the stream, decoded ahead, scaled
// by the volume, converted to the device's format. Silence when nothing plays.
void audioCallback(void *user, Uint8 *stream, int len) {
    Sdl2Audio &audio = audioOf(user);
    if (!audio.playing || !audio.music) {
        std::memset(stream, audio.obtained.silence, static_cast<size_t>(len));
        return;
    }
    const int frames = len / audio.frameBytes;
    clockHandOver(audio.clock, audio.sent, frames, nowNs());
    for (int done = 0; done < frames;) {
        const int piece = std::min<int>(frames - done, audio.obtained.samples);
        Uint8 *to = stream + static_cast<ptrdiff_t>(done) * audio.frameBytes;
        fillRing(audio, audio.sent + piece + kAudioDecodeAhead);
        if (!audio.convert.needed) {
            ringCopy(audio.ring, audio.sent, piece, audio.gain, reinterpret_cast<float *>(to));
        } else {
            ringCopy(audio.ring, audio.sent, piece, audio.gain, audio.mixed.data());
            audio.convert.buf = reinterpret_cast<Uint8 *>(audio.mixed.data());
            audio.convert.len = piece * kMusicChannels * static_cast<int>(sizeof(float));
            SDL_ConvertAudio(&audio.convert);
            std::memcpy(to, audio.convert.buf, static_cast<size_t>(audio.convert.len_cvt));
        }
        audio.sent += piece;
        done += piece;
    }
}

// Starts SDL's audio part and opens the default device at 44100 Hz stereo, float if it will;
// another sample format is converted to. False when there is no device.
bool openDevice(Sdl2Audio &audio) {
    SDL_SetMainReady();  // the program has its own main
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audio.subsystemStarted = true;
    SDL_AudioSpec want{};
    want.freq = kMusicRate;
    want.format = audio.requestedFormat;
    want.channels = kMusicChannels;
    want.samples = static_cast<Uint16>(audio.requestedFrames);
    want.callback = audioCallback;
    want.userdata = &audio;
    audio.device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &audio.obtained,
                            SDL_AUDIO_ALLOW_FORMAT_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (audio.device == 0) return false;
    const SDL_AudioSpec &got = audio.obtained;
    if (SDL_BuildAudioCVT(&audio.convert, AUDIO_F32SYS, kMusicChannels, kMusicRate, got.format,
                          got.channels, got.freq) < 0)
        return false;
    audio.frameBytes = SDL_AUDIO_BITSIZE(got.format) / 8 * got.channels;
    audio.mixed.assign(2 * static_cast<size_t>(got.samples) * std::max(1, audio.convert.len_mult),
                       0.0f);
    audio.analyzer = createSpectrumAnalyzer();
    audio.window.assign(2 * kSpectrumWindow, 0.0f);
    audio.mono.assign(kSpectrumWindow, 0.0f);
    // History back to one buffer before the latest, and the decoded frames ahead of it.
    ringAllocate(audio.ring, 3 * got.samples + kAudioDecodeAhead + kSpectrumWindow);
    clockReset(audio.clock, got.samples);
    return audio.analyzer != nullptr;
}

// ---------------------------------------------------------------- the table

// The interface version this layer implements.
uint32_t audioGetVersion(void *) {
    return kAudioVersion;
}

// Opens the device (any device number means the default one; the rate is always 44100 Hz).
// Without one, a line on standard error, and the show runs silent.
bool audioInit(void *user, int, uint32_t, uint32_t) {
    Sdl2Audio &audio = audioOf(user);
    if (audio.device) return true;
    if (openDevice(audio)) return true;
    std::fprintf(stderr, "glaxen: no audio device; the show runs silent (%s)\n", SDL_GetError());
    sdl2AudioRelease(audio);
    return false;
}

// Opens the whole file (offset and length are not used) and decodes its first frames; 0
// without a device, and with one line on standard error when the file is there but cannot be
// played. A new stream replaces the old one.
uint32_t audioStreamCreateFile(void *user, const char *file, uint64_t, uint64_t, uint32_t) {
    Sdl2Audio &audio = audioOf(user);
    if (!audio.device) return 0;
    audio.handle = 0;
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(file, &error);
    SDL_LockAudioDevice(audio.device);
    closeVorbisMusic(audio.music);
    audio.music = music;
    if (music) restartStream(audio);
    const bool empty = music && audio.ring.length == 0;
    if (empty) {
        closeVorbisMusic(music);
        audio.music = nullptr;
    }
    SDL_UnlockAudioDevice(audio.device);
    if (!audio.music) {
        std::fprintf(stderr, "glaxen: cannot play %s: %s; the show runs silent\n", file,
                     empty ? "no sound in it" : vorbisOpenErrorText(error));
        return 0;
    }
    audio.lastHandle = nextAudioHandle(audio.lastHandle);
    audio.handle = audio.lastHandle;
    return audio.handle;
}

// Output volume 0-100; the spectrum is of the stream, so it does not change.
bool audioSetVolume(void *user, uint32_t volume) {
    Sdl2Audio &audio = audioOf(user);
    const float gain = audioVolumeGain(volume);
    if (!audio.device) {
        audio.gain = gain;
        return false;
    }
    SDL_LockAudioDevice(audio.device);
    audio.gain = gain;
    SDL_UnlockAudioDevice(audio.device);
    return true;
}

// Plays on from where the stream is; from the first frame again when asked to restart or when
// it has played to its end.
bool audioChannelPlay(void *user, uint32_t handle, bool restart) {
    Sdl2Audio &audio = audioOf(user);
    if (handle == 0 || handle != audio.handle) return false;
    SDL_LockAudioDevice(audio.device);
    const bool ended =
        audio.ring.length >= 0 && heardFrame(audio.clock, nowNs()) >= audio.ring.length;
    bool ready = true;
    if (restart || ended) {
        ready = seekVorbisMusic(audio.music, 0);
        if (ready) restartStream(audio);
    }
    audio.playing = ready;
    SDL_UnlockAudioDevice(audio.device);
    if (ready) SDL_PauseAudioDevice(audio.device, 0);
    return ready;
}

// The spectrum of the kSpectrumWindow frames from the heard position on: copied under the lock,
// analysed outside it. -1, the buffer untouched, without the stream or after its end.
int32_t audioChannelGetData(void *user, uint32_t handle, float *buffer, uint32_t lengthFlags) {
    Sdl2Audio &audio = audioOf(user);
    if (handle == 0 || handle != audio.handle || lengthFlags != kAudioDataFft2048) return -1;
    SDL_LockAudioDevice(audio.device);
    const int64_t heard = heardFrame(audio.clock, nowNs());
    const bool ended = audio.ring.length >= 0 && heard >= audio.ring.length;
    if (!ended) ringCopy(audio.ring, heard, kSpectrumWindow, 1.0f, audio.window.data());
    SDL_UnlockAudioDevice(audio.device);
    if (ended) return -1;
    mixToMono(audio.window.data(), kSpectrumWindow, kMusicChannels, audio.mono.data());
    analyzeSpectrum(audio.analyzer, audio.mono.data(), buffer);
    return kSpectrumSize * static_cast<int32_t>(sizeof(float));
}

// Pauses the device; the heard position stays where it is.
bool audioStop(void *user) {
    Sdl2Audio &audio = audioOf(user);
    if (!audio.device) return false;
    SDL_PauseAudioDevice(audio.device, 1);
    SDL_LockAudioDevice(audio.device);
    clockFreeze(audio.clock, nowNs());
    audio.playing = false;
    SDL_UnlockAudioDevice(audio.device);
    return true;
}

// Everything goes.
bool audioFree(void *user) {
    return sdl2AudioRelease(audioOf(user));
}

}  // namespace

// The eight functions over audio.
ShowAudio sdl2Audio(Sdl2Audio *audio) {
    return {audio,          audioGetVersion,  audioInit,           audioStreamCreateFile,
            audioSetVolume, audioChannelPlay, audioChannelGetData, audioStop,
            audioFree};
}

// Closing the device first joins the audio thread, so the rest can go without the lock.
bool sdl2AudioRelease(Sdl2Audio &audio) {
    const bool started = audio.subsystemStarted;
    if (audio.device) SDL_CloseAudioDevice(audio.device);
    audio.device = 0;
    closeVorbisMusic(audio.music);
    audio.music = nullptr;
    audio.handle = 0;
    audio.playing = false;
    destroySpectrumAnalyzer(audio.analyzer);
    audio.analyzer = nullptr;
    if (audio.subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio.subsystemStarted = false;
    return started;
}

// Under the lock, since the audio thread moves the clock.
int64_t sdl2AudioHeardFrame(Sdl2Audio &audio) {
    if (!audio.device) return 0;
    SDL_LockAudioDevice(audio.device);
    const int64_t heard = heardFrame(audio.clock, nowNs());
    SDL_UnlockAudioDevice(audio.device);
    return heard;
}
