// The audio device through SDL2 (see sdl2_audio.h).
#include "platform/sdl2_audio/sdl2_audio.h"

#include <algorithm>
#include <cstring>

namespace {

// The device behind the backend's user pointer.
Sdl2AudioDevice &deviceOf(void *user) {
    return *static_cast<Sdl2AudioDevice *>(user);
}

// SDL's audio thread asks for len bytes: the stream's next frames at the volume, converted to
// the device's format. Silence when nothing plays.
void audioCallback(void *user, Uint8 *out, int len) {
    Sdl2AudioDevice &d = deviceOf(user);
    const int frames = len / d.frameBytes;
    if (!audioHandOver(*d.player, frames)) {
        std::memset(out, d.obtained.silence, static_cast<size_t>(len));
        return;
    }
    if (!d.convert.needed) {
        audioPull(*d.player, reinterpret_cast<float *>(out), frames);
        return;
    }
    for (int done = 0; done < frames;) {
        const int piece = std::min<int>(frames - done, d.obtained.samples);
        audioPull(*d.player, d.mixed.data(), piece);
        d.convert.buf = reinterpret_cast<Uint8 *>(d.mixed.data());
        d.convert.len = piece * kMusicChannels * static_cast<int>(sizeof(float));
        SDL_ConvertAudio(&d.convert);
        std::memcpy(out + static_cast<ptrdiff_t>(done) * d.frameBytes, d.convert.buf,
                    static_cast<size_t>(d.convert.len_cvt));
        done += piece;
    }
}

// Closes what is open and quits SDL's audio part if it started it.
void closeDevice(void *user) {
    Sdl2AudioDevice &d = deviceOf(user);
    if (d.id) SDL_CloseAudioDevice(d.id);
    d.id = 0;
    if (d.subsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    d.subsystemStarted = false;
}

// Starts SDL's audio part and opens the default device stereo at kMusicRate, float if it
// will; another sample format is converted to. False with SDL's message without a device.
bool openDevice(void *user, AudioPlayer &player, int *bufferFrames, std::string *why) {
    Sdl2AudioDevice &d = deviceOf(user);
    d.player = &player;
    SDL_SetMainReady();  // the program has its own main
    bool opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    d.subsystemStarted = opened;
    if (opened) {
        SDL_AudioSpec want{};
        want.freq = kMusicRate;
        want.format = d.requestedFormat;
        want.channels = kMusicChannels;
        want.samples = static_cast<Uint16>(d.requestedFrames);
        want.callback = audioCallback;
        want.userdata = &d;
        d.id = SDL_OpenAudioDevice(nullptr, 0, &want, &d.obtained,
                                   SDL_AUDIO_ALLOW_FORMAT_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
        const SDL_AudioSpec &got = d.obtained;
        opened =
            d.id != 0 && SDL_BuildAudioCVT(&d.convert, AUDIO_F32SYS, kMusicChannels, kMusicRate,
                                           got.format, got.channels, got.freq) >= 0;
    }
    if (!opened) {
        *why = SDL_GetError();
        closeDevice(user);
        return false;
    }
    d.frameBytes = SDL_AUDIO_BITSIZE(d.obtained.format) / 8 * d.obtained.channels;
    d.mixed.assign(2 * static_cast<size_t>(d.obtained.samples) * std::max(1, d.convert.len_mult),
                   0.0f);
    *bufferFrames = d.obtained.samples;
    return true;
}

}  // namespace

// SDL's own pause and device lock do the rest.
AudioBackend sdl2AudioBackend(Sdl2AudioDevice *device) {
    AudioBackend backend;
    backend.user = device;
    backend.open = openDevice;
    backend.close = closeDevice;
    backend.start = [](void *user) { SDL_PauseAudioDevice(deviceOf(user).id, 0); };
    backend.stop = [](void *user) { SDL_PauseAudioDevice(deviceOf(user).id, 1); };
    backend.lock = [](void *user) { SDL_LockAudioDevice(deviceOf(user).id); };
    backend.unlock = [](void *user) { SDL_UnlockAudioDevice(deviceOf(user).id); };
    return backend;
}
