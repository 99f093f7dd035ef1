// The show in a web page: a 640 x 480 canvas letterboxed in whatever box the page gives it,
// full screen through the browser's Fullscreen API, the start dialog painted on the canvas,
// the keyboard, the clock and the music through Web Audio. One state record for the page; each
// show is a fresh run of the main routine over it. A test mode (the page's address asks for it)
// computes frames on the virtual clock as glaxen-render does. Needs: emscripten (ASYNCIFY).
#pragma once

#include "audio/spectrum_sources.h"
#include "display/frame_presenter.h"
#include "platform/virtual/virtual_platform.h"
#include "platform/web/web_audio.h"
#include "show/show_platform.h"
#include "show/start_dialog.h"

#include <cstdint>
#include <vector>

// The presenter's canvas: the target the frames are converted into, as opaque RGBA, and put on
// the canvas from.
struct WebDisplay {
    std::vector<uint32_t> target;
    int width = 0, height = 0;
    bool fullscreen = false;
    bool paced = true;  // a frame at each animation frame; the test mode runs them unpaced
};

// The test mode, from the page's address: ?test&seed=N&spectrum=FILE|silent&fps=N&capture=K,...
// and &gentle for gentle mode.
// The virtual platform on the page's presenter, no waits for animation frames; the canvas
// pixels of the frames listed are kept for the test, and the show ends after the last of them.
struct WebTestMode {
    bool on = false;
    VirtualPlatform run;  // the seed, the clock, the last frame
    SpectrumSource spectrum;
    std::vector<uint64_t> captures;  // ascending
};

// Everything the page keeps.
struct WebPlatform {
    FramePresenter presenter;
    WebDisplay display;
    WebAudioDevice audioDevice;
    AudioPlayer audio;      // the music through audioDevice
    StartDialog dialog;     // the start dialog while it is up, and how it ended
    ShowSettings settings;  // what the dialog's boxes are bound to
    WebTestMode test;
    bool timings = false;   // ?timings: the frame's parts are timed for the benchmarks
    uint32_t lastSeed = 0;  // each show a fresh seed, even two in one second
};

// Sets the page up, and the test mode when the address asks for it; false, with a console line,
// when the test mode's options cannot be used.
bool webPlatformInit(WebPlatform &platform);

// The show's service tables for the next run: the presenter and audio start afresh.
ShowPlatform webShowPlatform(WebPlatform &platform);

// Runs frame(user) at each of the page's animation frames, or as fast as the page allows in the
// test mode, until it returns false; the frames never wait themselves (web_display.cpp).
void webRunFrames(WebPlatform &platform, bool (*frame)(void *user), void *user);

// ---------------------------------------------------------------- shared by the platform's files

// The display device for the presenter (web_display.cpp).
PresenterDevice webPresenterDevice(WebPlatform &platform);

// Runs the start dialog on the canvas until the show is started: 1 (web_dialog.cpp).
int webStartDialog(WebPlatform &platform, ShowSettings *settings);

// Reads the test mode's options from the page's address; false with a console line when they
// cannot be used (web_test_mode.cpp).
bool webTestModeInit(WebTestMode &test);

// The main routine's services in the test mode, over the page's presenter (web_test_mode.cpp).
ShowPlatform webTestPlatform(WebPlatform &platform, const ShowPresenter &presenter);

// True when the page asks for gentle mode, at the moment of asking (web_gentle.cpp).
bool webGentleChosen();
