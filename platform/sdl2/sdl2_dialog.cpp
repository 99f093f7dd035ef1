// The start dialog over SDL2: a small window centred on the screen, painted by the show's own
// dialog code into pixels and shown through the window's surface; its own modal loop.
#include "platform/sdl2/sdl2_platform.h"

#include "pictures/embedded_files.h"
#include "pictures/pcx_decoder.h"
#include "platform/sdl2/sdl2_icon.h"
#include "show/start_dialog.h"

#include <vector>

namespace {

constexpr int kFontWidth = 600;  // the embedded font picture
constexpr int kFontHeight = 19;

// Shows the painted pixels in the window.
void showPixels(SDL_Window *window, const std::vector<Pixel> &pixels, int width, int height) {
    SDL_Surface *surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    SDL_UpdateWindowSurface(window);
}

// One event into the dialog.
void feed(StartDialog &dialog, Uint32 windowId, const SDL_Event &event) {
    switch (event.type) {
    case SDL_QUIT:
        dialogClose(dialog);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.windowID == windowId && event.window.event == SDL_WINDOWEVENT_CLOSE)
            dialogClose(dialog);
        break;
    case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            dialogKey(dialog, DialogKey::kEnter);
            break;
        case SDLK_SPACE:
            dialogKey(dialog, DialogKey::kSpace);
            break;
        case SDLK_ESCAPE:
            dialogKey(dialog, DialogKey::kEscape);
            break;
        case SDLK_TAB:
            dialogKey(dialog, DialogKey::kTab);
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && event.button.windowID == windowId)
            dialogClick(dialog, event.button.x, event.button.y);
        break;
    default:
        break;
    }
}

}  // namespace

// Video stays up after the dialog: the show's window opens next.
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
    SDL_RaiseWindow(window);

    std::vector<Pixel> fontPicture(kFontWidth * kFontHeight);
    const EmbeddedFile &file = kEmbeddedFiles[kFontPicture];
    decodePcx(openMemoryStream(file.data, file.size).get(), kFontWidth, kFontHeight,
              fontPicture.data());
    BitmapFont font;
    font.setSizes(width, height, kFontWidth, kFontHeight);
    font.init(fontPicture.data());

    std::vector<Pixel> pixels(static_cast<size_t>(width) * height);
    StartDialog dialog = startDialogCreate(&t, settings);
    const Uint32 windowId = SDL_GetWindowID(window);
    while (!dialog.ended) {
        paintDialog(dialog, font, fontPicture.data(), pixels.data());
        showPixels(window, pixels, width, height);
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 100)) feed(dialog, windowId, event);
        if (sdl2Interrupted()) dialogClose(dialog);
    }
    SDL_DestroyWindow(window);
    if (!dialog.ended) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return -1;
    }
    if (dialog.result == 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return dialog.result;
}
