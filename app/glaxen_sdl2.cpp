// glaxen: the show's process entry. It only wires the SDL2 platform to the main routine.
#include "platform/sdl2/sdl2_platform.h"
#include "show/show_main.h"

// Wires the SDL2 platform to the show; the show's exit code is the process's.
int main(int, char **) {
    static Sdl2Platform platform;  // lives as long as the process, like the show's buffers
    if (!sdl2PlatformInit(platform)) return 1;
    const int code = showMain(sdl2ShowPlatform(platform));
    sdl2PlatformQuit(platform);
    return code;
}
