// The SDL2 platform: start-up, the service tables, the message box and shutdown.
#include "platform/sdl2/sdl2_platform.h"

#include "platform/null/null_platform.h"
#include "show/presenter_service.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

volatile std::sig_atomic_t interrupted = 0;  // set by SIGINT or SIGTERM

// Ctrl-C and a polite kill end the show like Escape, with its normal shutdown.
void onInterrupt(int) {
    interrupted = 1;
}

// The platform behind a service table's user pointer.
Sdl2Platform &platformOf(void *user) {
    return *static_cast<Sdl2Platform *>(user);
}

// SDL's millisecond counter, 32 bits.
uint32_t sdl2Milliseconds(void *) {
    return SDL_GetTicks();
}

// A plain message box with an OK button; on standard error when none can be shown.
void sdl2MessageBox(void *, const char *text, const char *caption) {
    if (SDL_ShowSimpleMessageBox(0, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace

// The X11 and Wayland window class is "glaxen", unless the user set one.
bool sdl2PlatformInit(Sdl2Platform &platform) {
    (void)platform;
    setenv("SDL_VIDEO_X11_WMCLASS", "glaxen", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "glaxen", 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "glaxen");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "glaxen: SDL could not start: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

// True once SIGINT or SIGTERM arrived.
bool sdl2Interrupted() {
    return interrupted != 0;
}

// Video on a real display only: none without a display server to talk to, and none when SDL
// falls back to a driver that shows nothing.
bool sdl2InitVideo(Sdl2Platform &platform) {
    const bool server =
        std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
    const bool started = server && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    const char *driver = started ? SDL_GetCurrentVideoDriver() : nullptr;
    if (started && driver && std::strcmp(driver, "offscreen") != 0 &&
        std::strcmp(driver, "dummy") != 0)
        return true;
    if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!platform.noDisplayReported) {
        std::fprintf(stderr, "glaxen: no display found; the show runs without a picture\n");
        platform.noDisplayReported = true;
    }
    return false;
}

// The tables: SDL for the system, the presenter and the audio library.
ShowPlatform sdl2ShowPlatform(Sdl2Platform &platform) {
    platform.presenter.device = sdl2PresenterDevice(platform);
    ShowPlatform show = nullPlatform();
    show.system.user = &platform;
    show.system.milliseconds = sdl2Milliseconds;
    show.system.escapePressed = [](void *user) { return sdl2EscapePressed(platformOf(user)); };
    show.system.startDialog = [](void *user, ShowSettings *settings) {
        return sdl2StartDialog(platformOf(user), settings);
    };
    show.system.messageBox = sdl2MessageBox;
    show.presenter = presenterService(&platform.presenter);
    show.audio = sdl2Audio(&platform.audio);
    return show;
}

// Everything SDL still holds; the audio first, in case the show ended before freeing it.
void sdl2PlatformQuit(Sdl2Platform &platform) {
    sdl2AudioRelease(platform.audio);
    SDL_Quit();
}
