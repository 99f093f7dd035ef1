// glaxen.exe: the show's process entry on Windows. It only wires the Win32 platform to the main
// routine; the command line and the show-window hint are not used.
#include "platform/win32/win32_platform.h"
#include "show/show_main.h"

// The show's exit code is the process's.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static Win32Platform platform;  // lives as long as the process, like the show's buffers
    win32PlatformInit(platform, win32SystemApi(), instance);
    const int code = showMain(win32ShowPlatform(platform));
    win32PlatformQuit(platform);
    return code;
}
