// The Windows platform's message pump and Escape poll.
#include "platform/win32/win32_platform.h"

// Every pending message of the thread goes to its window's procedure, so that the window stays
// responsive; the quit request a close posts is kept. The key's state is read at every poll, so
// that a press meant for another program is spent while that program is in front. A press
// counts when the show was in front at this poll and the one before, so that it cannot have
// come before the show came to the front; a key that went down otherwise does not count while
// it is held. A show whose display gave it no window has no front to wait for: there, as in
// the design, any press counts, or nothing could end it before its time.
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
    // The design's Escape poll is GetAsyncKeyState, which reads the whole desktop's keyboard.
    const SHORT state = api.getAsyncKeyState(VK_ESCAPE);
    const bool down = (state & 0x8000) != 0;
    const HWND window = platform.display.window;
    const bool inFront = window == nullptr || api.getForegroundWindow() == window;
    const bool showsOwn = inFront && platform.wasInFront;
    const bool counts = state != 0 && showsOwn && !platform.escapeHeldElsewhere;
    platform.escapeHeldElsewhere = down && (!showsOwn || platform.escapeHeldElsewhere);
    platform.wasInFront = inFront;
    return counts || platform.quitRequested;
}
