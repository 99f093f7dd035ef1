// The presenter's display over SDL2: a window of class "glaxen", an accelerated renderer with
// vsync as the flip chain, a streaming texture in the window's own pixel format as the target.
// Full screen takes the whole display in its own mode and letterboxes the 4:3 frame; a window
// scales the frame to whatever size the user gives it.
#include "platform/sdl2/sdl2_platform.h"

#include "platform/sdl2/sdl2_icon.h"

namespace {

// The platform behind a device table's user pointer.
Sdl2Platform &platformOf(void *user) {
    return *static_cast<Sdl2Platform *>(user);
}
// Its display objects.
Sdl2Display &displayOf(void *user) {
    return platformOf(user).display;
}

// Video on a real display; the screen saver and display power-down stay away while it runs.
bool loadDisplay(void *user) {
    if (!sdl2InitVideo(platformOf(user))) return false;
    SDL_DisableScreenSaver();
    return true;
}

// Full screen asks for the whole display as the window is made (a window manager honours that
// more surely than a later switch); a window is centred and resizable, its client area
// width x height.
bool createWindow(void *user, const char *title, int width, int height, bool fullscreen) {
    Sdl2Display &d = displayOf(user);
    d.width = width;
    d.height = height;
    d.fullscreen = fullscreen;
    const int at = fullscreen ? 0 : SDL_WINDOWPOS_CENTERED;
    const Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    // Made for OpenGL when it can be, so that the renderer need not make the window again.
    d.window = SDL_CreateWindow(title, at, at, width, height, flags | SDL_WINDOW_OPENGL);
    if (d.window == nullptr) d.window = SDL_CreateWindow(title, at, at, width, height, flags);
    if (d.window) sdl2SetWindowIcon(d.window);
    return d.window != nullptr;
}

// Brings the window to the front.
void raiseWindow(void *user) {
    SDL_RaiseWindow(displayOf(user).window);
}

// The desktop's own mode: no mode switch (a window made full screen is already there). Its
// depth, as the bytes of the window's pixels.
int setMode(void *user, int, int) {
    SDL_Window *window = displayOf(user).window;
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return 0;
    return 8 * SDL_BYTESPERPIXEL(SDL_GetWindowPixelFormat(window));
}

// A window shares the display with the others; full screen has it through the window's mode.
bool claimDisplay(void *, bool) {
    return true;
}

// The mouse cursor over the window; there is none without video.
void showCursor(void *, bool visible) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// A renderer that waits for the display; the software one when there is no other.
bool createChain(void *user) {
    Sdl2Display &d = displayOf(user);
    d.renderer =
        SDL_CreateRenderer(d.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (d.renderer == nullptr) d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
    if (d.renderer == nullptr) return false;
    if (d.fullscreen) SDL_RenderSetLogicalSize(d.renderer, d.width, d.height);  // 4:3 with bars
    SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
    return true;
}

// The frame-sized texture the frames are converted into.
bool makeTexture(Sdl2Display &d) {
    d.texture = SDL_CreateTexture(d.renderer, d.pixelFormat, SDL_TEXTUREACCESS_STREAMING, d.width,
                                  d.height);
    return d.texture != nullptr;
}

// In the window's own pixel format.
bool createTarget(void *user, int, int) {
    Sdl2Display &d = displayOf(user);
    d.pixelFormat = SDL_GetWindowPixelFormat(d.window);
    return makeTexture(d);
}

// How the presenter sees the target's pixel format.
DisplayFormat format(void *user) {
    return sdl2DisplayFormat(displayOf(user).pixelFormat);
}

// True after a render reset, until restore makes the texture again.
bool isLost(void *user) {
    return displayOf(user).lost;
}

// After a render reset the texture is made again.
void restore(void *user) {
    Sdl2Display &d = displayOf(user);
    if (!d.lost) return;
    if (d.texture) SDL_DestroyTexture(d.texture);
    d.texture = nullptr;
    d.lost = !makeTexture(d);
}

// The whole texture, for writing; false when there is none or SDL refuses.
bool lock(void *user, void **pixels, int *pitch) {
    Sdl2Display &d = displayOf(user);
    return d.texture != nullptr && SDL_LockTexture(d.texture, nullptr, pixels, pitch) == 0;
}

// Hands the written texture back to SDL.
void unlock(void *user) {
    SDL_UnlockTexture(displayOf(user).texture);
}

// Black behind the frame, the frame, then the flip.
void show(void *user) {
    Sdl2Display &d = displayOf(user);
    SDL_RenderClear(d.renderer);
    if (d.texture) SDL_RenderCopy(d.renderer, d.texture, nullptr, nullptr);
    SDL_RenderPresent(d.renderer);
}

// The renderer, and the texture with it.
void destroyChain(void *user) {
    Sdl2Display &d = displayOf(user);
    if (d.texture) SDL_DestroyTexture(d.texture);
    if (d.renderer) SDL_DestroyRenderer(d.renderer);
    d.texture = nullptr;
    d.renderer = nullptr;
}

// Nothing: SDL's video part holds no display object of its own between the window and it.
void releaseDisplay(void *) {}

// The window, if there is one.
void destroyWindow(void *user) {
    Sdl2Display &d = displayOf(user);
    if (d.window) SDL_DestroyWindow(d.window);
    d.window = nullptr;
}

// Nothing: SDL's windows have no class to give back.
void unregisterClass(void *) {}

// Gives back the video part loadDisplay started.
void unloadDisplay(void *) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

// The device table over the platform's display.
PresenterDevice sdl2PresenterDevice(Sdl2Platform &platform) {
    return {&platform,    loadDisplay,    createWindow,  raiseWindow,     setMode,
            claimDisplay, showCursor,     createChain,   createTarget,    format,
            isLost,       restore,        lock,          unlock,          show,
            destroyChain, releaseDisplay, destroyWindow, unregisterClass, unloadDisplay};
}

// The display formats a converter writes, by the bit count the display reports.
struct FormatRow {
    Uint32 format;
    int bitCount;
};
constexpr FormatRow kDisplayFormats[] = {
    {SDL_PIXELFORMAT_RGB888, 32},    // XRGB8888: SDL reports 24 bits in 4 bytes
    {SDL_PIXELFORMAT_ARGB8888, 32},  // its top byte is not shown
    {SDL_PIXELFORMAT_BGR24, 24},     // bytes blue, green, red
    {SDL_PIXELFORMAT_RGB24, 24},     // 24 bits: the bit count decides
    {SDL_PIXELFORMAT_RGB565, 16},    //
    {SDL_PIXELFORMAT_ARGB1555, 16},  // 16 bits with 5-5-5 masks: written as 5-6-5
    {SDL_PIXELFORMAT_RGB555, 15},    // XRGB1555
};

// Indexed formats are not RGB; RGB formats without a converter report bit count 0, so open fails.
DisplayFormat sdl2DisplayFormat(Uint32 pixelFormat) {
    if (pixelFormat == SDL_PIXELFORMAT_UNKNOWN || SDL_ISPIXELFORMAT_FOURCC(pixelFormat))
        return {false, 0, 0};
    const int bytes = SDL_BYTESPERPIXEL(pixelFormat);
    if (SDL_ISPIXELFORMAT_INDEXED(pixelFormat))
        return {false, int(SDL_BITSPERPIXEL(pixelFormat)), bytes};
    for (const FormatRow &row : kDisplayFormats)
        if (row.format == pixelFormat) return {true, row.bitCount, bytes};
    return {true, 0, bytes};
}

// The presenter's window: activation, close and render resets. Other windows' events are not
// its business.
void sdl2DisplayEvent(Sdl2Platform &platform, const SDL_Event &event) {
    Sdl2Display &d = platform.display;
    if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET) {
        d.lost = true;
        return;
    }
    if (event.type != SDL_WINDOWEVENT || d.window == nullptr ||
        event.window.windowID != SDL_GetWindowID(d.window))
        return;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
        presenterWindowEvent(platform.presenter, WindowEvent::kActivated);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        presenterWindowEvent(platform.presenter, WindowEvent::kDeactivated);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        presenterWindowEvent(platform.presenter, WindowEvent::kCloseRequested);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        presenterWindowEvent(platform.presenter, WindowEvent::kRepaint);
        break;
    default:
        break;
    }
}
