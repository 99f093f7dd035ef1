// The presenter's display on Windows: a window of class "glaxen" and DirectDraw, loaded at run
// time from ddraw.dll, in its first interface versions. Full screen takes the display in a mode
// of the frame's size (32 bits, else 24, else 16) and flips a chain of the primary and one back
// buffer; a window keeps the desktop's mode and blits an offscreen surface into its client area
// through a clipper. The window procedure handles activation, close, paint and the screen saver.
#include "platform/win32/win32_platform.h"

namespace {

// The first versions of the records, as a 32-bit program passes them (wider pointers make the
// 64-bit surface description longer).
static_assert(sizeof(void *) != 4 || sizeof(DDSURFACEDESC) == 108,
              "DDSURFACEDESC is not the first version's");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT is not the first version's");

constexpr const char *kWindowClass = "glaxen";
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_VISIBLE;
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr DWORD kModeBits[] = {32, 24, 16};  // tried in this order

using DirectDrawCreateFunction = HRESULT(WINAPI *)(GUID *, IDirectDraw **, IUnknown *);

// The platform behind a device table's user pointer.
Win32Platform &platformOf(void *user) {
    return *static_cast<Win32Platform *>(user);
}
// Its display objects, and its Win32 calls.
Win32Display &displayOf(void *user) {
    return platformOf(user).display;
}
const Win32Api &apiOf(void *user) {
    return *platformOf(user).api;
}

// A surface description of the first version, zeroed, with its size.
DDSURFACEDESC surfaceDesc() {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    return desc;
}

// ---------------------------------------------------------------- open

// The program's module, ddraw.dll and the DirectDraw object of the default display.
bool loadDisplay(void *user) {
    Win32Display &d = displayOf(user);
    const Win32Api &api = apiOf(user);
    d.instance = api.getModuleHandleA(nullptr);
    d.ddrawModule = api.loadLibraryA("ddraw.dll");
    if (d.ddrawModule == nullptr) return false;
    const auto create = reinterpret_cast<DirectDrawCreateFunction>(
        reinterpret_cast<void *>(api.getProcAddress(d.ddrawModule, "DirectDrawCreate")));
    if (create == nullptr) return false;
    if (FAILED(create(nullptr, &d.directDraw, nullptr))) {
        d.directDraw = nullptr;
        return false;
    }
    return true;
}

// A popup over the whole screen, or an overlapped window whose client area is width x height,
// at (0, 0). The class is registered first; its result is not examined. Without a window
// nothing could be shown, so that fails open.
bool createWindow(void *user, const char *title, int width, int height, bool fullscreen) {
    Win32Display &d = displayOf(user);
    const Win32Api &api = apiOf(user);
    d.width = width;
    d.height = height;
    d.fullscreen = fullscreen;
    RECT rect = {0, 0, width, height};
    if (!fullscreen) api.adjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = win32WindowProc;
    windowClass.hCursor = api.loadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    api.registerClassA(&windowClass);
    d.window = api.createWindowExA(
        0, kWindowClass, title, fullscreen ? kFullscreenStyle : kWindowedStyle, 0, 0,
        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, d.instance, nullptr);
    return d.window != nullptr;
}

// Brings the window to the front and activates the application.
void raiseWindow(void *user) {
    apiOf(user).setForegroundWindow(displayOf(user).window);
}

// The first of 32, 24 and 16 bits that the display takes at width x height; 0 for none.
int setMode(void *user, int width, int height) {
    IDirectDraw *directDraw = displayOf(user).directDraw;
    for (const DWORD bits : kModeBits)
        if (SUCCEEDED(directDraw->SetDisplayMode(width, height, bits)))
            return static_cast<int>(bits);
    return 0;
}

// Exclusive and full screen, or normal.
bool claimDisplay(void *user, bool fullscreen) {
    const Win32Display &d = displayOf(user);
    const DWORD level = fullscreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL;
    return SUCCEEDED(d.directDraw->SetCooperativeLevel(d.window, level));
}

// ShowCursor's counter, one step.
void showCursor(void *user, bool visible) {
    apiOf(user).showCursor(visible ? TRUE : FALSE);
}

// The primary: with one back buffer in a flip chain in video memory full screen, alone in a
// window. A display with no video memory to give (Wine without 3D support) gets the chain in
// system memory rather than no picture at all.
bool createChain(void *user) {
    Win32Display &d = displayOf(user);
    DDSURFACEDESC desc = surfaceDesc();
    if (d.fullscreen) {
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps =
            DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY;
    } else {
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    }
    if (SUCCEEDED(d.directDraw->CreateSurface(&desc, &d.primary, nullptr))) return true;
    desc.ddsCaps.dwCaps &= ~DDSCAPS_VIDEOMEMORY;
    if (d.fullscreen && SUCCEEDED(d.directDraw->CreateSurface(&desc, &d.primary, nullptr)))
        return true;
    d.primary = nullptr;
    return false;
}

// Full screen: the chain's back buffer. Windowed: an offscreen surface of the frame's size in
// the display's format, and a clipper that keeps the blits inside the window (its results are
// not examined; without one the blits are not clipped).
bool createTarget(void *user, int width, int height) {
    Win32Display &d = displayOf(user);
    if (d.fullscreen) {
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        if (SUCCEEDED(d.primary->GetAttachedSurface(&caps, &d.target))) return true;
        d.target = nullptr;
        return false;
    }
    DDSURFACEDESC desc = surfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwWidth = static_cast<DWORD>(width);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (FAILED(d.directDraw->CreateSurface(&desc, &d.target, nullptr))) {
        d.target = nullptr;
        return false;
    }
    if (FAILED(d.directDraw->CreateClipper(0, &d.clipper, nullptr))) {
        d.clipper = nullptr;
        return true;
    }
    d.clipper->SetHWnd(0, d.window);
    d.primary->SetClipper(d.clipper);
    return true;
}

// The primary's pixel format; a failed query leaves it without DDPF_RGB.
DisplayFormat format(void *user) {
    Win32Display &d = displayOf(user);
    d.pixelFormat = {};
    d.pixelFormat.dwSize = sizeof d.pixelFormat;
    d.primary->GetPixelFormat(&d.pixelFormat);
    const int bits = static_cast<int>(d.pixelFormat.dwRGBBitCount);
    return {(d.pixelFormat.dwFlags & DDPF_RGB) != 0, bits, (bits + 7) / 8};
}

// ---------------------------------------------------------------- present

// The primary, and windowed the target, lost since they were last restored.
bool isLost(void *user) {
    const Win32Display &d = displayOf(user);
    return d.primary->IsLost() != DD_OK || (!d.fullscreen && d.target->IsLost() != DD_OK);
}

// Full screen the primary brings its back buffer back with it; windowed the target is apart.
void restore(void *user) {
    const Win32Display &d = displayOf(user);
    d.primary->Restore();
    if (!d.fullscreen) d.target->Restore();
}

// The whole target, waiting while it is busy; false with no memory to write.
bool lock(void *user, void **pixels, int *pitch) {
    Win32Display &d = displayOf(user);
    DDSURFACEDESC desc = surfaceDesc();
    if (FAILED(d.target->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) || desc.lpSurface == nullptr)
        return false;
    d.locked = desc.lpSurface;
    *pixels = desc.lpSurface;
    *pitch = static_cast<int>(desc.lPitch);
    return true;
}

// Unlocks with the memory the lock gave.
void unlock(void *user) {
    Win32Display &d = displayOf(user);
    d.target->Unlock(d.locked);
    d.locked = nullptr;
}

// Full screen: the flip. Windowed: the target blitted onto the client area in screen
// coordinates, scaled when the user resized the window.
void show(void *user) {
    const Win32Display &d = displayOf(user);
    const Win32Api &api = apiOf(user);
    if (d.fullscreen) {
        d.primary->Flip(nullptr, DDFLIP_WAIT);
        return;
    }
    POINT origin = {0, 0};
    api.clientToScreen(d.window, &origin);
    RECT client;
    api.getClientRect(d.window, &client);
    api.offsetRect(&client, origin.x, origin.y);
    RECT source;
    api.setRect(&source, 0, 0, d.width, d.height);
    d.primary->Blt(&client, d.target, &source, DDBLT_WAIT, nullptr);
}

// ---------------------------------------------------------------- close

// The primary, and full screen its chain with it.
void destroyChain(void *user) {
    Win32Display &d = displayOf(user);
    d.primary->Release();
    d.primary = d.target = nullptr;
}

// The DirectDraw object, and with it the offscreen surface and the clipper; exclusive mode
// ends and the display mode goes back.
void releaseDisplay(void *user) {
    Win32Display &d = displayOf(user);
    d.directDraw->Release();
    d.directDraw = nullptr;
    d.clipper = nullptr;
    d.target = nullptr;
}

void destroyWindow(void *user) {
    Win32Display &d = displayOf(user);
    apiOf(user).destroyWindow(d.window);
    d.window = nullptr;
}

void unregisterClass(void *user) {
    apiOf(user).unregisterClassA(kWindowClass, displayOf(user).instance);
}

// Nothing: ddraw.dll stays loaded until the process ends.
void unloadDisplay(void *) {}

}  // namespace

// The device table over the platform's display.
PresenterDevice win32PresenterDevice(Win32Platform &platform) {
    return {&platform,    loadDisplay,    createWindow,  raiseWindow,     setMode,
            claimDisplay, showCursor,     createChain,   createTarget,    format,
            isLost,       restore,        lock,          unlock,          show,
            destroyChain, releaseDisplay, destroyWindow, unregisterClass, unloadDisplay};
}

// Activation drives the presenter's active flag; a close asks the thread to quit, which ends
// the show; a paint shows a window's latest frame again; the screen saver and the monitor's
// power-down are refused while the show runs.
LRESULT CALLBACK win32WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Platform *platform = win32CurrentPlatform();
    if (platform == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    const Win32Api &api = *platform->api;
    switch (message) {
    case WM_PAINT:
        presenterWindowEvent(platform->presenter, WindowEvent::kRepaint);
        break;
    case WM_CLOSE:
        api.postQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP:
        presenterWindowEvent(platform->presenter,
                             wParam ? WindowEvent::kActivated : WindowEvent::kDeactivated);
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    default:
        break;
    }
    return api.defWindowProcA(window, message, wParam, lParam);
}
