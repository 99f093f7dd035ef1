// The Windows platform's message pump and Escape poll.
#include "platform/win32/win32_platform.h"

// Every pending message of the thread goes to its window's procedure, so that the window stays
// responsive; the quit request a close posts is kept. Escape counts when GetAsyncKeyState says
// anything at all: down now, or pressed since the previous poll.
bool win32EscapePressed(Win32Platform &platform) {
    const Win32Api &api = *platform.api;
    MSG message;
    while (api.peekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            platform.quitRequested = true;
            continue;
        }
        api.translateMessage(&message);
        api.dispatchMessageA(&message);
    }
    return api.getAsyncKeyState(VK_ESCAPE) != 0 || platform.quitRequested;
}
