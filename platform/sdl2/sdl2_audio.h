// The show's audio library over SDL2: one output device, one music stream decoded on SDL's audio
// thread into a ring a little ahead of the device, and the spectrum of what the listener hears
// now. Needs: SDL2, platform/vorbis (libvorbisfile), show/spectrum.h (kissfft).
#pragma once

#include "platform/sdl2/sdl2_audio_position.h"
#include "platform/vorbis/vorbis_music.h"
#include "show/show_platform.h"
#include "show/spectrum.h"

#include <SDL.h>

#include <cstdint>
#include <vector>

constexpr int kAudioDeviceFrames = 1024;            // the device buffer asked for, in frames
constexpr int kAudioDecodeAhead = kSpectrumWindow;  // frames decoded past the latest buffer

// Everything the audio layer keeps. The fields under "shared" are used by SDL's audio thread
// and change only under the device lock (or before the device plays).
struct Sdl2Audio {
    // What init asks of the device: float, unless a test picks another format to convert to.
    SDL_AudioFormat requestedFormat = AUDIO_F32SYS;
    int requestedFrames = kAudioDeviceFrames;

    // Show thread only
    bool subsystemStarted = false;  // SDL's audio part is ours to quit
    SDL_AudioDeviceID device = 0;   // 0: no device, so no stream
    SpectrumAnalyzer *analyzer = nullptr;
    std::vector<float> window;  // the stereo frames of one spectrum read, copied under the lock
    std::vector<float> mono;    // the same, mixed to one channel
    uint32_t handle = 0;        // the stream's handle; 0 for none
    uint32_t lastHandle = 0;    // the latest handle given (see nextAudioHandle)

    // Shared with the audio thread
    SDL_AudioSpec obtained{};  // what the device gave
    int frameBytes = 0;        // one frame in the device's format
    SDL_AudioCVT convert{};    // float stereo to the device's format, when that is not float
    std::vector<float> mixed;  // one buffer of float stereo before conversion
    VorbisMusic *music = nullptr;
    StreamRing ring;       // decoded frames around the heard position
    PlaybackClock clock;   // the heard position
    int64_t sent = 0;      // stream frames handed to the device
    float gain = 1.0f;     // output volume; the spectrum ignores it
    bool playing = false;  // the device takes frames from the stream
};

// The ShowAudio table over audio (which must outlive it).
ShowAudio sdl2Audio(Sdl2Audio *audio);

// Closes the device and frees the stream and the analyser; true when the layer was started.
// Harmless when nothing is held.
bool sdl2AudioRelease(Sdl2Audio &audio);

// The stream frame the listener hears now (under the device lock); 0 without a device.
int64_t sdl2AudioHeardFrame(Sdl2Audio &audio);
