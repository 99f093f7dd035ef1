// The audio device through SDL2's audio alone, for the Linux desktop and for Windows: the
// default output at kMusicRate stereo, its callback pulling the player's stream on SDL's audio
// thread (converted when the device is not float), the device lock around the player's state.
// Needs: SDL2 (audio), audio/show_audio.h.
#pragma once

#include "audio/show_audio.h"

#include <SDL.h>

#include <vector>

constexpr int kAudioDeviceFrames = 1024;  // the device buffer asked for, in frames

// The device. requested* say what to ask for: float, unless a test picks another format to
// convert to. The rest is set by open and used by SDL's audio thread.
struct Sdl2AudioDevice {
    SDL_AudioFormat requestedFormat = AUDIO_F32SYS;
    int requestedFrames = kAudioDeviceFrames;
    AudioPlayer *player = nullptr;  // what the callback pulls
    bool subsystemStarted = false;  // SDL's audio part is ours to quit
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec obtained{};  // what the device gave
    int frameBytes = 0;        // one frame in the device's format
    SDL_AudioCVT convert{};    // float stereo to the device's format, when that is not float
    std::vector<float> mixed;  // one buffer of float stereo before conversion
};

// The backend over device (which must outlive it).
AudioBackend sdl2AudioBackend(Sdl2AudioDevice *device);
