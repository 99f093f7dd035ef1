// Windows' own functions in the platform's table (see win32_api.h).
#include "platform/win32/win32_api.h"

// Every entry is the function of its name.
const Win32Api &win32SystemApi() {
    static const Win32Api api = {GetModuleHandleA,     LoadLibraryA,        GetProcAddress,
                                 AdjustWindowRect,     LoadCursorA,         RegisterClassA,
                                 CreateWindowExA,      SetForegroundWindow, ShowCursor,
                                 DestroyWindow,        UnregisterClassA,    ClientToScreen,
                                 GetClientRect,        OffsetRect,          SetRect,
                                 DefWindowProcA,       PostQuitMessage,     GetForegroundWindow,
                                 PeekMessageA,         TranslateMessage,    DispatchMessageA,
                                 GetAsyncKeyState,     timeGetTime,         timeBeginPeriod,
                                 timeEndPeriod,        DialogBoxParamA,     CheckDlgButton,
                                 IsDlgButtonChecked,   EndDialog,           MessageBoxA,
                                 GetCurrentDirectoryA, GetModuleFileNameA,  Sleep,
                                 EnumDisplaySettingsA};
    return api;
}
