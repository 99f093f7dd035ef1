// Recording fakes of what the Windows platform calls: the Win32 functions of its table and the
// DirectDraw objects behind "DirectDrawCreate". The display is scripted (which modes it takes,
// its pixel format and pitch, which call fails) and refuses records of the wrong size, as
// Windows does; the calls whose arguments the tests check are lines of a log. Needs: windows.h,
// ddraw.h.
#pragma once

#include "platform/win32/win32_api.h"

#include <ddraw.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The handles the fakes give out.
inline const HINSTANCE kFakeInstance = reinterpret_cast<HINSTANCE>(0x400000);
inline const HWND kFakeWindow = reinterpret_cast<HWND>(0x1234);

// A surface's memory: pitch x height bytes.
struct FakeSurfaceMemory {
    std::string name;
    LONG pitch = 0;
    std::vector<uint8_t> memory;
    bool lost = false, locked = false;
};

// One scripted display and what was done to it; a test scripts it with designated initializers.
struct FakeWindows {
    std::vector<DWORD> modes = {32, 24, 16};  // the depths SetDisplayMode takes
    DWORD formatFlags = DDPF_RGB;             // the primary's pixel format
    DWORD formatBits = 32;
    LONG pitch = 2560;                      // of the back buffer and the offscreen surface
    bool videoMemory = true;                // video-memory surfaces can be made
    std::vector<std::string> failing = {};  // calls, by name, that fail
    std::deque<SHORT> escapeStates = {};    // GetAsyncKeyState's answers; then 0
    std::vector<std::pair<UINT, WPARAM>> dialog = {};  // what DialogBoxParamA sends the procedure
    DWORD refreshRate = 60;                            // EnumDisplaySettingsA's dmDisplayFrequency
    HWND foreground = kFakeWindow;                     // GetForegroundWindow's answer
    std::string workingFolder = "C:\\show";            // GetCurrentDirectoryA's answer
    std::string programPath = "C:\\show\\glaxen.exe";  // GetModuleFileNameA's

    std::vector<std::string> calls = {};
    std::vector<std::shared_ptr<void>> objects = {};  // the DirectDraw objects made, owned here
    const void *clipper = nullptr;
    FakeSurfaceMemory *primary = nullptr, *back = nullptr, *offscreen = nullptr;
    WNDPROC windowProc = nullptr;             // from the registered class
    std::optional<INT_PTR> dialogEnded = {};  // EndDialog's result
    DWORD now = 0;                            // timeGetTime: only Sleep moves it

    int count(const std::string &prefix) const;  // calls that start with prefix
};

// The fakes record into this one; each test makes its own. Null between tests.
inline FakeWindows *fakeWindows = nullptr;
// The Win32 table over the fakes.
extern const Win32Api kFakeWin32Api;
