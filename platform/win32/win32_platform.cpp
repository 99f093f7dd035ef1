// The Windows platform: start-up, the service tables, the clock and the message box.
#include "platform/win32/win32_platform.h"

#include "platform/null/null_platform.h"
#include "show/presenter_service.h"

namespace {

Win32Platform *current = nullptr;  // the platform the procedures serve

// The platform behind a service table's user pointer.
Win32Platform &platformOf(void *user) {
    return *static_cast<Win32Platform *>(user);
}

}  // namespace

// The 1 ms timer period makes timeGetTime and Sleep step by a millisecond, where the default
// period of many PCs (15.6 ms) would pace the waits at about 32 Hz. GetAsyncKeyState's "pressed
// since the last call" can hold a press from before the start: the first poll is spent here, so
// that it cannot end the show at its first frame.
void win32PlatformInit(Win32Platform &platform, const Win32Api &api, HINSTANCE instance) {
    platform.api = &api;
    platform.instance = instance;
    current = &platform;
    platform.timerPeriodSet = api.timeBeginPeriod(1) == TIMERR_NOERROR;
    api.getAsyncKeyState(VK_ESCAPE);
}

Win32Platform *win32CurrentPlatform() {
    return current;
}

// The multimedia timer, GetAsyncKeyState with the message pump, the resource dialog,
// MessageBoxA, the DirectDraw presenter and the music through SDL2's audio, looked for in two
// folders.
ShowPlatform win32ShowPlatform(Win32Platform &platform) {
    platform.presenter.device = win32PresenterDevice(platform);
    ShowPlatform show = nullPlatform();
    show.system.user = &platform;
    show.system.milliseconds = [](void *user) {
        return static_cast<uint32_t>(platformOf(user).api->timeGetTime());
    };
    show.system.escapePressed = [](void *user) { return win32EscapePressed(platformOf(user)); };
    show.system.startDialog = [](void *user, ShowSettings *settings) {
        settings->gentle = platformOf(user).gentle;
        return win32StartDialog(platformOf(user), settings);
    };
    show.system.messageBox = [](void *user, const char *text, const char *caption) {
        platformOf(user).api->messageBoxA(nullptr, text, caption, MB_OK);
    };
    show.presenter = presenterService(&platform.presenter);
    platform.audio.backend = sdl2AudioBackend(&platform.audioDevice);
    show.audio = showAudio(&platform.audio);
    // The table's user is the audio library's player; the one platform is the procedures'.
    show.audio.streamCreateFile = [](void *, const char *file, uint64_t, uint64_t, uint32_t) {
        return win32StreamCreateFile(*current, file);
    };
    return show;
}

// The timer period ends here whichever way the show ended, as Windows asks: once for each
// timeBeginPeriod that took.
void win32PlatformQuit(Win32Platform &platform) {
    audioRelease(platform.audio);
    SDL_Quit();
    if (platform.timerPeriodSet) platform.api->timeEndPeriod(1);
    platform.timerPeriodSet = false;
    if (current == &platform) current = nullptr;
}
