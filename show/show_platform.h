// The platform services the show's main routine calls, as small tables of functions, one per
// service. Each platform (platform/<name>/) fills them; tests fill them with fakes. Every
// function gets its table's user pointer first.
#pragma once

#include "common/pixel.h"

#include <cstdint>

// The start dialog's two settings, and gentle mode, which a platform sets from its own options
// when the dialog is shown (the dialog itself has no box for it).
struct ShowSettings {
    bool fullscreen = true;  // passed to the presenter's open
    bool sound = true;       // false sets the audio output volume to 0
    bool gentle = false;     // frames shown through the gentle filter (show/gentle_filter.h)
};

// Clock, keyboard, start dialog and message box.
struct ShowSystem {
    void *user;
    uint32_t (*calendarTime)(void *user);  // seconds of the calendar clock; seeds the generator
    uint32_t (*milliseconds)(void *user);  // free-running 32-bit millisecond clock
    bool (*escapePressed)(void *user);     // Escape down now or pressed since the last poll
    int (*startDialog)(void *user, ShowSettings *settings);  // 0 when dismissed
    void (*messageBox)(void *user, const char *text, const char *caption);
};

// The window or full-screen display that shows 32-bit frames.
struct ShowPresenter {
    void *user;
    int (*open)(void *user, const char *title, int width, int height, bool fullscreen);  // 1 or 0
    void (*present)(void *user, const Pixel *frame);
    void (*close)(void *user);
};

// The audio library: one music stream and its spectrum. Handles are 0 for "no stream".
struct ShowAudio {
    void *user;
    uint32_t (*getVersion)(void *user);
    bool (*init)(void *user, int device, uint32_t frequency, uint32_t flags);
    uint32_t (*streamCreateFile)(void *user, const char *file, uint64_t offset, uint64_t length,
                                 uint32_t flags);
    bool (*setVolume)(void *user, uint32_t volume);
    bool (*channelPlay)(void *user, uint32_t handle, bool restart);
    // Fills buffer per lengthFlags (kAudioDataFft2048: kSpectrumSize floats); -1 leaves it
    // untouched.
    int32_t (*channelGetData)(void *user, uint32_t handle, float *buffer, uint32_t lengthFlags);
    bool (*stop)(void *user);
    bool (*free)(void *user);
};

// Everything the main routine needs from a platform.
struct ShowPlatform {
    ShowSystem system;
    ShowPresenter presenter;
    ShowAudio audio;
};

constexpr uint32_t kAudioVersion = 0x10002;          // the interface version the show expects
constexpr uint32_t kAudioDataFft2048 = 0x80000002u;  // channelGetData: kSpectrumSize magnitudes
constexpr int kSpectrumSize = 1024;                  // magnitudes of one spectrum read
constexpr int kMusicRate = 44100;                    // frames a second: init asks for it
