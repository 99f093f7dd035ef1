// The start dialog over SDL2: a small window centred on the screen, painted by the show's own
// dialog code into pixels and shown through the window's surface; its own modal loop.
#include "platform/sdl2/sdl2_platform.h"

#include "platform/sdl2/sdl2_icon.h"
#include "show/show_frame.h"
#include "show/start_dialog.h"

#include <cstdio>
#include <vector>

namespace {

// Shows the painted pixels in the window; false when the window has no pixels SDL can write (a
// palette display).
bool showPixels(SDL_Window *window, const std::vector<Pixel> &pixels, int width, int height) {
    SDL_Surface *surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return false;
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UpdateWindowSurface(window);
    return true;
}

// The dialog's key for an SDL key, if it has one.
bool dialogKeyOf(SDL_Keycode key, DialogKey &out) {
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        out = DialogKey::kEnter;
        return true;
    case SDLK_SPACE:
        out = DialogKey::kSpace;
        return true;
    case SDLK_ESCAPE:
        out = DialogKey::kEscape;
        return true;
    case SDLK_TAB:
        out = DialogKey::kTab;
        return true;
    default:
        return false;
    }
}

// One event into the dialog; true when the dialog must be painted again.
bool feed(StartDialog &dialog, Uint32 windowId, const SDL_Event &event) {
    DialogKey key;
    switch (event.type) {
    case SDL_QUIT:
        dialogClose(dialog);
        return false;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != windowId) return false;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) dialogClose(dialog);
        return true;  // shown, exposed, focus: paint again
    case SDL_KEYDOWN:
        if (!dialogKeyOf(event.key.keysym.sym, key)) return false;
        dialogKey(dialog, key);
        return true;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT || event.button.windowID != windowId)
            return false;
        dialogClick(dialog, event.button.x, event.button.y);
        return true;
    default:
        return false;
    }
}

}  // namespace

// Video stays up after the dialog: the show's window opens next. A dialog that cannot be
// painted says so once, with the keys that still work; a lost display closes it.
int sdl2StartDialog(Sdl2Platform &platform, ShowSettings *settings) {
    if (!sdl2InitVideo(platform)) return -1;
    const DialogTemplate &t = kStartDialogTemplate;
    const int width = dialogPixelWidth(t), height = dialogPixelHeight(t);
    SDL_Window *window =
        SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (window == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return -1;
    }
    sdl2SetWindowIcon(window);
    sdl2X11Watch(window);
    SDL_RaiseWindow(window);

    std::vector<Pixel> fontPicture(kFontWidth * kFontHeight);
    BitmapFont font;
    loadShowFont(fontPicture.data(), font, width, height);

    std::vector<Pixel> pixels(static_cast<size_t>(width) * height);
    StartDialog dialog = startDialogCreate(&t, settings);
    const Uint32 windowId = SDL_GetWindowID(window);
    bool repaint = true, unpaintedReported = false;
    while (!dialog.ended) {
        if (repaint) {
            paintDialog(dialog, font, fontPicture.data(), pixels.data());
            if (!showPixels(window, pixels, width, height) && !unpaintedReported) {
                std::fprintf(stderr,
                             "glaxen: the start dialog cannot be painted on this display (%s); "
                             "Return starts the show, Escape cancels it\n",
                             SDL_GetError());
                unpaintedReported = true;
            }
        }
        SDL_Event event;
        repaint = SDL_WaitEventTimeout(&event, 100) && feed(dialog, windowId, event);
        if (sdl2Interrupted() || sdl2X11DisplayLost()) dialogClose(dialog);
    }
    if (sdl2X11DisplayLost()) return dialog.result;  // SDL would wait for its answers for ever
    SDL_DestroyWindow(window);
    if (dialog.result == 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return dialog.result;
}
