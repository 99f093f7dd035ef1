// The SDL2 platform: start-up, the service tables, the message box and shutdown.
#include "platform/sdl2/sdl2_platform.h"

#include "platform/null/null_platform.h"

#include <dlfcn.h>
#include <strings.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// Nothing: the sound library's error lines stay off standard error.
void ignoreSoundLibraryError(const char *, int, const char *, int, const char *, ...) {}

// The sound library (ALSA) writes lines of its own to standard error when it finds no sound card,
// before SDL gives up on it and the show says so in its one line. SDL links the library; the
// error handler set here, on the same loaded library, silences it for SDL too.
void quietSoundLibrary() {
    void *library = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) library = dlopen("libasound.so.2", RTLD_NOW);
    if (library == nullptr) return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    const auto setHandler =
        reinterpret_cast<int (*)(Handler)>(dlsym(library, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(ignoreSoundLibraryError);
}

}  // namespace

// The X11 and Wayland window class is "glaxen", unless the user set one. On Wayland, SDL 2.26
// with libdecor crashes in libdecor's callbacks as the show's window opens after the dialog's:
// libdecor stays out unless the user asks for it, at the price of the dialog's title bar where
// the compositor draws none itself.
bool sdl2PlatformInit(Sdl2Platform &platform) {
    (void)platform;
    setenv("SDL_VIDEO_X11_WMCLASS", "glaxen", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "glaxen", 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "glaxen");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    sdl2X11Prepare();
    quietSoundLibrary();
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

// Video on a real display only: none without a display server to talk to, none on a Wayland
// display SDL would crash on, and none when SDL falls back to a driver that shows nothing.
bool sdl2InitVideo(Sdl2Platform &platform) {
    const Sdl2VideoServer server = sdl2VideoServer(
        std::getenv("SDL_VIDEODRIVER"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    std::string why = "no display found";
    const char *lacks = server == Sdl2VideoServer::kWayland ? sdl2WaylandLacks() : nullptr;
    if (lacks) {
        why = std::string("the Wayland display has no ") + lacks + ", which SDL needs";
    } else if (server != Sdl2VideoServer::kNone) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            why = std::string("SDL cannot open the display (") + SDL_GetError() + ")";
        } else {
            const char *driver = SDL_GetCurrentVideoDriver();
            if (driver && std::strcmp(driver, "offscreen") != 0 &&
                std::strcmp(driver, "dummy") != 0)
                return true;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    if (!platform.noDisplayReported) {
        std::fprintf(stderr, "glaxen: %s; the show runs without a picture\n", why.c_str());
        platform.noDisplayReported = true;
    }
    return false;
}

// SDL tries the listed drivers in turn; one whose server is not there fails and the next is
// tried. Names are compared as SDL compares them, without regard to case.
Sdl2VideoServer sdl2VideoServer(const char *drivers, const char *display,
                                const char *waylandDisplay) {
    const bool x11 = display != nullptr && *display != 0;
    const bool wayland = waylandDisplay != nullptr && *waylandDisplay != 0;
    if (!x11 && !wayland) return Sdl2VideoServer::kNone;
    if (drivers == nullptr || *drivers == 0)
        return x11 ? Sdl2VideoServer::kX11 : Sdl2VideoServer::kWayland;
    for (const char *name = drivers; *name != 0;) {
        const char *end = std::strchr(name, ',');
        const size_t length = end ? static_cast<size_t>(end - name) : std::strlen(name);
        const auto is = [&](const char *driver) {
            return length == std::strlen(driver) && strncasecmp(name, driver, length) == 0;
        };
        if (is("x11")) {
            if (x11) return Sdl2VideoServer::kX11;
        } else if (is("wayland")) {
            if (wayland) return Sdl2VideoServer::kWayland;
        } else if (length > 0) {
            return Sdl2VideoServer::kOther;
        }
        name += length;
        if (*name == ',') ++name;
    }
    return Sdl2VideoServer::kNone;
}

namespace {

// The presenter's open, with one line on standard error when a display was found but cannot
// show the show (a missing display has had its line already): what failed, and SDL's message.
int sdl2PresenterOpen(void *user, const char *title, int width, int height, bool fullscreen) {
    FramePresenter &presenter = platformOf(user).presenter;
    SDL_ClearError();
    const int opened = presenterOpen(presenter, title, width, height, fullscreen);
    if (!opened && presenter.displayLoaded) {
        const char *error = SDL_GetError();
        std::fprintf(stderr,
                     "glaxen: the display cannot show the show: %s%s%s%s; it runs without "
                     "a picture\n",
                     presenter.failure, *error ? " (" : "", error, *error ? ")" : "");
    }
    return opened;
}

}  // namespace

// The tables: SDL for the system, the presenter and the audio library.
ShowPlatform sdl2ShowPlatform(Sdl2Platform &platform) {
    platform.presenter.device = sdl2PresenterDevice(platform);
    ShowPlatform show = nullPlatform();
    show.system.user = &platform;
    show.system.milliseconds = sdl2Milliseconds;
    show.system.escapePressed = [](void *user) { return sdl2EscapePressed(platformOf(user)); };
    show.system.startDialog = [](void *user, ShowSettings *settings) {
        settings->gentle = platformOf(user).gentle;
        return sdl2StartDialog(platformOf(user), settings);
    };
    show.system.messageBox = sdl2MessageBox;
    show.presenter.user = &platform;
    show.presenter.open = sdl2PresenterOpen;
    show.presenter.present = [](void *user, const Pixel *frame) {
        presenterPresent(platformOf(user).presenter, frame);
    };
    show.presenter.close = [](void *user) { presenterClose(platformOf(user).presenter); };
    platform.audio.backend = sdl2AudioBackend(&platform.audioDevice);
    show.audio = showAudio(&platform.audio);
    return show;
}

// Everything SDL still holds; the audio first, in case the show ended before freeing it. After
// a lost display SDL's video would wait for ever for the windows' answers: the process's end
// gives everything back instead.
void sdl2PlatformQuit(Sdl2Platform &platform) {
    audioRelease(platform.audio);
    if (!sdl2X11DisplayLost()) SDL_Quit();
}
