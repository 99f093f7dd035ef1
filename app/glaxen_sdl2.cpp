// glaxen: the show's process entry. It only wires the SDL2 platform to the main routine, in
// gentle mode when asked.
#include "platform/sdl2/sdl2_platform.h"
#include "show/show_main.h"

#include <cstdio>
#include <cstring>

// Wires the SDL2 platform to the show; the show's exit code is the process's. The one option,
// --gentle, shows it in gentle mode; anything else is refused rather than shown as designed.
int main(int argc, char **argv) {
    static Sdl2Platform platform;  // lives as long as the process, like the show's buffers
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gentle") != 0) {
            std::fprintf(stderr, "glaxen: unknown option '%s'; the one option is --gentle\n",
                         argv[i]);
            return 2;
        }
        platform.gentle = true;
    }
    if (!sdl2PlatformInit(platform)) return 1;
    const int code = showMain(sdl2ShowPlatform(platform));
    sdl2PlatformQuit(platform);
    return code;
}
