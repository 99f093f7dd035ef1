// The show on Windows: a window of class "glaxen" shown through DirectDraw (loaded at run time
// from ddraw.dll), the start dialog from the program's resources, the keyboard, the clock at
// 1 ms steps and the message box, all through the Win32 calls of win32_api.h; the music, from
// the working folder or else from beside the program, through the same audio library and SDL2
// audio device as on Linux (only SDL's audio is started). One state record for the whole
// process; the entry creates it, wires it to the show's service tables, and quits it.
// Needs: windows.h, ddraw.h (the interfaces only), SDL2 (audio).
#pragma once

#include "display/frame_presenter.h"
#include "platform/sdl2_audio/sdl2_audio.h"
#include "platform/win32/win32_api.h"
#include "show/show_platform.h"

#include <ddraw.h>

// The DirectDraw display's objects, from the presenter's open to its close.
struct Win32Display {
    HINSTANCE instance = nullptr;  // the program's module
    int width = 0, height = 0;
    bool fullscreen = false;
    HWND window = nullptr;
    HMODULE ddrawModule = nullptr;  // loaded by open and never unloaded
    IDirectDraw *directDraw = nullptr;
    IDirectDrawSurface *primary = nullptr;
    IDirectDrawSurface *target = nullptr;   // the back buffer full screen, offscreen windowed
    IDirectDrawClipper *clipper = nullptr;  // windowed: bound to the window, set on the primary
    DDPIXELFORMAT pixelFormat = {};         // the primary's, read once by open
    void *locked = nullptr;                 // the target's memory while it is locked
    DWORD frameMilliseconds = 0;            // one display frame, found at the first wait
    FramePace pace;                         // of the waits while nothing is shown
};

// Everything the Windows platform keeps.
struct Win32Platform {
    const Win32Api *api = nullptr;
    HINSTANCE instance = nullptr;  // the program's module, as the entry got it
    FramePresenter presenter;
    Win32Display display;
    Sdl2AudioDevice audioDevice;
    AudioPlayer audio;                       // the music through audioDevice
    ShowSettings *dialogSettings = nullptr;  // what the running start dialog is bound to
    bool quitRequested = false;              // the thread was asked to quit (a window closed)
    bool wasInFront = false;                 // the show's window was in front at the last poll
    bool escapeHeldElsewhere = false;        // Escape, held, went down before the show was in front
    bool timerPeriodSet = false;             // timeBeginPeriod(1) took, for quit to end it
    bool gentle = false;                     // the show in gentle mode (glaxen.exe /gentle)
};

// Makes platform the one the window and dialog procedures serve, asks for the multimedia
// timer's 1 ms period, and discards an Escape pressed before the program started.
void win32PlatformInit(Win32Platform &platform, const Win32Api &api, HINSTANCE instance);

// The show's service tables over the platform.
ShowPlatform win32ShowPlatform(Win32Platform &platform);

// Releases the audio layer and SDL and ends the timer period init asked for; the procedures
// serve the platform no more. Every way out of the program passes here.
void win32PlatformQuit(Win32Platform &platform);

// ---------------------------------------------------------------- shared by the platform's files

// The platform the window and dialog procedures serve; null outside init and quit.
Win32Platform *win32CurrentPlatform();

// The DirectDraw display device for the presenter (win32_display.cpp).
PresenterDevice win32PresenterDevice(Win32Platform &platform);

// The window procedure of class "glaxen" (win32_display.cpp).
LRESULT CALLBACK win32WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Dispatches the thread's pending messages; true when Escape is down now or went down since the
// last poll while the show's window, if it has one, was in front all along (a press that began
// before aside), or the thread was asked to quit (win32_events.cpp).
bool win32EscapePressed(Win32Platform &platform);

// Opens the music named file from the working folder, else from the program's own folder; when
// neither has it, or it cannot be played, says so in a message box and gives 0 (the show then
// runs silent). The stream's handle otherwise (win32_music.cpp).
uint32_t win32StreamCreateFile(Win32Platform &platform, const char *file);

// Runs dialog 101 of the program's resources; its result, 0 when dismissed (win32_dialog.cpp).
int win32StartDialog(Win32Platform &platform, ShowSettings *settings);
