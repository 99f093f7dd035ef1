// The X11 side of the SDL2 platform, where SDL leaves the decision to the program: an X error
// is reported once and is not fatal (a window manager that starts, restarts or dies around the
// show makes some requests fail), a lost connection ends the show instead of the process, and a
// full-screen window covers the screen where no window manager makes it. Needs: SDL2, Xlib.
#include "platform/sdl2/sdl2_platform.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace {

// What the handlers keep: Xlib's handlers take no user data.
struct X11State {
    bool errorReported = false;  // the first X error was reported
    bool lost = false;           // the connection was lost
    Display *watched = nullptr;  // the display whose loss ends the show, not the process
};
X11State state;

// The first error gets one line, unless the connection is gone; none ends the program.
int onError(Display *display, XErrorEvent *error) {
    if (state.errorReported || state.lost) return 0;
    state.errorReported = true;
    char text[128];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "glaxen: the X server refused request %d (%s); the show goes on\n",
                 error->request_code, text);
    return 0;
}

// One line; the exit handler then decides whether the process goes.
int onConnectionLost(Display *) {
    if (!state.lost) std::fprintf(stderr, "glaxen: the connection to the X display was lost\n");
    state.lost = true;
    return 0;
}

// Returning keeps the process: every later call on the lost display returns at once, and the
// show's next poll ends it with its normal shutdown.
void keepRunning(Display *, void *) {
    state.lost = true;
}

// The window's X display and window, when SDL shows it through X11.
bool x11WindowOf(SDL_Window *window, Display **display, Window *xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

// The window that a window property names, or None.
Window windowProperty(Display *display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    Window named = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        named = *reinterpret_cast<Window *>(data);
    if (data) XFree(data);
    return named;
}

// A window manager of today's desktops names a window of its own on the root window, and that
// window names itself; a stale name left by one that died does not.
bool windowManagerRuns(Display *display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Window named = windowProperty(display, DefaultRootWindow(display), check);
    return named != None && windowProperty(display, named, check) == named;
}

}  // namespace

// Before SDL opens the display, so that SDL's own error handler passes errors on to ours.
void sdl2X11Prepare() {
    state = {};
    XSetErrorHandler(onError);
    XSetIOErrorHandler(onConnectionLost);
}

// Once per display: its loss is kept for the show's poll.
void sdl2X11Watch(SDL_Window *window) {
    Display *display = nullptr;
    Window xwindow = None;
    if (!x11WindowOf(window, &display, &xwindow) || display == state.watched) return;
    XSetIOErrorExitHandler(display, keepRunning, nullptr);
    state.watched = display;
}

bool sdl2X11DisplayLost() {
    return state.lost;
}

// Without a window manager nobody makes the window full screen, while SDL already draws for the
// whole display: the window is given the display's bounds itself.
void sdl2X11CoverScreen(SDL_Window *window) {
    Display *display = nullptr;
    Window xwindow = None;
    SDL_Rect bounds;
    if (!x11WindowOf(window, &display, &xwindow) || windowManagerRuns(display) ||
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0)
        return;
    XMoveResizeWindow(display, xwindow, bounds.x, bounds.y, static_cast<unsigned>(bounds.w),
                      static_cast<unsigned>(bounds.h));
    XFlush(display);
}
