// The SDL2 platform's event pump and Escape poll.
#include "platform/sdl2/sdl2_platform.h"

// Every pending event: Escape presses are latched, window events go to the presenter, and a
// quit request (the last window closed, Ctrl-C, or the display's connection lost) ends the show
// like Escape.
bool sdl2EscapePressed(Sdl2Platform &platform) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) platform.quitRequested = true;
        if (event.type == SDL_KEYDOWN && event.key.keysym.scancode == SDL_SCANCODE_ESCAPE)
            platform.escapeLatched = true;
        sdl2DisplayEvent(platform, event);
    }
    const Uint8 *keys = SDL_GetKeyboardState(nullptr);
    const bool pressed = platform.escapeLatched || keys[SDL_SCANCODE_ESCAPE] ||
                         platform.quitRequested || platform.presenter.quitRequested ||
                         sdl2Interrupted() || sdl2X11DisplayLost();
    platform.escapeLatched = false;
    return pressed;
}
