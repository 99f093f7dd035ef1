// glaxen.exe: the show's process entry on Windows. It only wires the Win32 platform to the main
// routine, in gentle mode when the command line holds /gentle; the rest of the command line and
// the show-window hint are not used.
#include "platform/win32/win32_platform.h"
#include "show/show_main.h"

#include <cctype>
#include <cstring>

namespace {

// True when one of the command line's words is /gentle, in any case.
bool gentleAsked(const char *commandLine) {
    static const char kWord[] = "/gentle";
    for (const char *word = commandLine; *word != '\0';) {
        const size_t length = std::strcspn(word, " \t");
        bool same = length == sizeof kWord - 1;
        for (size_t i = 0; same && i < length; ++i)
            same = std::tolower(static_cast<unsigned char>(word[i])) == kWord[i];
        if (same) return true;
        word += length;
        word += std::strspn(word, " \t");
    }
    return false;
}

}  // namespace

// The show's exit code is the process's.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    static Win32Platform platform;  // lives as long as the process, like the show's buffers
    win32PlatformInit(platform, win32SystemApi(), instance);
    platform.gentle = commandLine != nullptr && gentleAsked(commandLine);
    const int code = showMain(win32ShowPlatform(platform));
    win32PlatformQuit(platform);
    return code;
}
