// The program's icon on an SDL2 window: the embedded 32 x 32 XPM, read and handed to SDL.
#pragma once

#include "pictures/embedded_files.h"
#include "pictures/xpm_icon.h"

#include <SDL.h>

// Gives the window the program's icon; a window manager that shows none simply ignores it.
inline void sdl2SetWindowIcon(SDL_Window *window) {
    static XpmIcon icon;
    const EmbeddedFile &file = kEmbeddedFiles[kWindowIcon];
    if (!decodeXpm(reinterpret_cast<const char *>(file.data), file.size, icon)) return;
    SDL_Surface *surface = SDL_CreateRGBSurfaceWithFormatFrom(
        icon.pixels, icon.width, icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}
