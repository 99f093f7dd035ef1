// The show on SDL2: the window and full screen, the start dialog, the keyboard, the clock, the
// message box and the music. One state record for the whole process; main creates it, wires it
// to the show's service tables, and quits it. Needs: SDL2.
#pragma once

#include "display/frame_presenter.h"
#include "platform/sdl2_audio/sdl2_audio.h"
#include "show/show_platform.h"

#include <SDL.h>

// The presenter's SDL objects.
struct Sdl2Display {
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;  // the target, in the window's own pixel format
    Uint32 pixelFormat = SDL_PIXELFORMAT_UNKNOWN;
    int width = 0, height = 0;
    bool fullscreen = false;
    bool lost = false;             // a render reset since the last restore
    int64_t frameNanoseconds = 0;  // one display frame, found at the first wait
    FramePace pace;                // of the waits while nothing is shown
};

// Everything the SDL2 platform keeps.
struct Sdl2Platform {
    FramePresenter presenter;
    Sdl2Display display;
    Sdl2AudioDevice audioDevice;
    AudioPlayer audio;               // the music through audioDevice
    bool escapeLatched = false;      // Escape went down since the last poll
    bool quitRequested = false;      // SDL asked to quit (a signal, or the last window closed)
    bool noDisplayReported = false;  // the "no display" line was printed
    bool gentle = false;             // the show in gentle mode (glaxen --gentle)
};

// Starts SDL's event and timer parts, names the window class, and readies what SDL leaves to
// the program (X errors, the sound library's chatter); false when SDL cannot start.
bool sdl2PlatformInit(Sdl2Platform &platform);

// The show's service tables over the platform.
ShowPlatform sdl2ShowPlatform(Sdl2Platform &platform);

// Releases the audio layer and shuts SDL down.
void sdl2PlatformQuit(Sdl2Platform &platform);

// ---------------------------------------------------------------- shared by the platform's files

// Starts SDL's video on a real display; false, with one line on standard error the first
// time, when there is none (no server, one SDL cannot start on, or only SDL's offscreen or
// dummy driver).
bool sdl2InitVideo(Sdl2Platform &platform);

// The display server SDL's video start-up will talk to: the first driver of SDL_VIDEODRIVER's
// comma-separated list that has its server, or without a list SDL's own order (X11 first).
// kOther for another driver SDL may take; kNone without a server (sdl2_platform.cpp).
enum class Sdl2VideoServer { kNone, kX11, kWayland, kOther };
Sdl2VideoServer sdl2VideoServer(const char *drivers, const char *display,
                                const char *waylandDisplay);

// The first Wayland global SDL needs that the display lacks ("a connection" when there is no
// display to connect to); null when it has them all (sdl2_wayland.cpp).
const char *sdl2WaylandLacks();

// X11 (sdl2_x11.cpp): the error handlers, set before SDL opens the display; the window's display
// watched for its loss; whether it was lost; a full-screen window made to cover the screen when
// no window manager does it.
void sdl2X11Prepare();
void sdl2X11Watch(SDL_Window *window);
bool sdl2X11DisplayLost();
void sdl2X11CoverScreen(SDL_Window *window);

// The display device for the presenter (sdl2_display.cpp).
PresenterDevice sdl2PresenterDevice(Sdl2Platform &platform);

// How the presenter sees an SDL pixel format (sdl2_display.cpp).
DisplayFormat sdl2DisplayFormat(Uint32 pixelFormat);

// Passes one event to the presenter's window handler (sdl2_display.cpp).
void sdl2DisplayEvent(Sdl2Platform &platform, const SDL_Event &event);

// True once SIGINT or SIGTERM arrived (sdl2_platform.cpp).
bool sdl2Interrupted();

// Pumps all pending events; true when Escape is down now or went down since the last poll,
// or the window, SDL or a signal asked to quit (sdl2_events.cpp).
bool sdl2EscapePressed(Sdl2Platform &platform);

// Runs the start dialog; 1 to start, 0 when dismissed, -1 when it cannot be shown
// (sdl2_dialog.cpp).
int sdl2StartDialog(Sdl2Platform &platform, ShowSettings *settings);
