// The Win32 calls the Windows platform makes, as one table: the real functions in the program,
// recording fakes in the tests, so that the window, the DirectDraw display, the dialog, the
// keyboard, the clock and the music's folders are tested without a desktop. Needs: windows.h,
// mmsystem.h.
#pragma once

#include <windows.h>

#include <mmsystem.h>

struct Win32Api {
    // Modules, windows and the cursor
    HMODULE(WINAPI *getModuleHandleA)(LPCSTR name);
    HMODULE(WINAPI *loadLibraryA)(LPCSTR name);
    FARPROC(WINAPI *getProcAddress)(HMODULE module, LPCSTR name);
    BOOL(WINAPI *adjustWindowRect)(LPRECT rect, DWORD style, BOOL menu);
    HCURSOR(WINAPI *loadCursorA)(HINSTANCE instance, LPCSTR name);
    ATOM(WINAPI *registerClassA)(const WNDCLASSA *windowClass);
    HWND(WINAPI *createWindowExA)
    (DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
    BOOL(WINAPI *setForegroundWindow)(HWND window);
    int(WINAPI *showCursor)(BOOL show);
    BOOL(WINAPI *destroyWindow)(HWND window);
    BOOL(WINAPI *unregisterClassA)(LPCSTR className, HINSTANCE instance);
    BOOL(WINAPI *clientToScreen)(HWND window, LPPOINT point);
    BOOL(WINAPI *getClientRect)(HWND window, LPRECT rect);
    BOOL(WINAPI *offsetRect)(LPRECT rect, int dx, int dy);
    BOOL(WINAPI *setRect)(LPRECT rect, int left, int top, int right, int bottom);
    LRESULT(WINAPI *defWindowProcA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void(WINAPI *postQuitMessage)(int exitCode);
    HWND(WINAPI *getForegroundWindow)();

    // The thread's messages, the keyboard and the clock
    BOOL(WINAPI *peekMessageA)(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
    BOOL(WINAPI *translateMessage)(const MSG *message);
    LRESULT(WINAPI *dispatchMessageA)(const MSG *message);
    SHORT(WINAPI *getAsyncKeyState)(int key);
    DWORD(WINAPI *timeGetTime)();
    MMRESULT(WINAPI *timeBeginPeriod)(UINT milliseconds);
    MMRESULT(WINAPI *timeEndPeriod)(UINT milliseconds);

    // The start dialog and the message box
    INT_PTR(WINAPI *dialogBoxParamA)
    (HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM parameter);
    BOOL(WINAPI *checkDlgButton)(HWND dialog, int id, UINT state);
    UINT(WINAPI *isDlgButtonChecked)(HWND dialog, int id);
    BOOL(WINAPI *endDialog)(HWND dialog, INT_PTR result);
    int(WINAPI *messageBoxA)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

    // Where the music is looked for
    DWORD(WINAPI *getCurrentDirectoryA)(DWORD size, LPSTR folder);
    DWORD(WINAPI *getModuleFileNameA)(HMODULE module, LPSTR path, DWORD size);

    // The display's pace while nothing is shown
    void(WINAPI *sleep)(DWORD milliseconds);
    BOOL(WINAPI *enumDisplaySettingsA)(LPCSTR device, DWORD mode, DEVMODEA *settings);
};

// Windows' own functions.
const Win32Api &win32SystemApi();
