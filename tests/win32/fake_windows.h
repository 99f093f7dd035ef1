// Recording fakes of what the Windows platform calls: the Win32 functions of its table and the
// DirectDraw objects behind "DirectDrawCreate". The display is scripted (which modes it takes,
// its pixel format and pitch, which call fails); every call is one line of a log, with the
// arguments the tests check. Needs: windows.h, ddraw.h.
#pragma once

#include "platform/win32/win32_api.h"

#include <ddraw.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct FakeSurface;
struct FakeDirectDraw;
struct FakeClipper;

// One scripted display and what was done to it.
struct FakeWindows {
    // Script
    std::vector<DWORD> modes = {32, 24, 16};  // the depths SetDisplayMode takes
    DWORD formatFlags = DDPF_RGB;             // the primary's pixel format
    DWORD formatBits = 32;
    DWORD redMask = 0xFF0000, greenMask = 0xFF00, blueMask = 0xFF;
    LONG pitch = 2560;                            // of the back buffer and the offscreen surface
    bool videoMemory = true;                      // video-memory surfaces can be made
    std::vector<std::string> failing;             // calls, by name, that fail
    std::vector<SHORT> escapeStates;              // GetAsyncKeyState's answers; then 0
    std::vector<UINT> messages;                   // what PeekMessageA hands out, in order
    RECT client = {0, 0, 800, 600};               // the window's client area
    POINT clientOrigin = {30, 40};                // where it sits on the screen
    std::vector<std::pair<UINT, WPARAM>> dialog;  // what DialogBoxParamA sends the procedure
    UINT boxState = BST_CHECKED;                  // what IsDlgButtonChecked answers

    // Record
    std::vector<std::string> calls;
    std::unique_ptr<FakeDirectDraw> directDraw;
    std::unique_ptr<FakeClipper> clipper;
    std::unique_ptr<FakeSurface> primary, back, offscreen;
    WNDPROC windowProc = nullptr;  // from the registered class
    int cursorCounter = 0;         // ShowCursor's counter
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;

    FakeWindows();
    ~FakeWindows();
    bool fails(const std::string &call) const;
    int count(const std::string &prefix) const;  // calls that start with prefix
};

// A surface's memory: pitch x height bytes, 0xEE until written.
struct FakeSurface : IDirectDrawSurface {
    FakeSurface(std::string name, LONG pitch, int height);
    std::string name;
    LONG pitch;
    std::vector<uint8_t> memory;
    bool lost = false;
    FakeSurface *attached = nullptr;  // the primary's back buffer
#define FAKE_SURFACE_METHOD(name, ...) HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    FAKE_SURFACE_METHOD(AddAttachedSurface, LPDIRECTDRAWSURFACE)
    FAKE_SURFACE_METHOD(AddOverlayDirtyRect, LPRECT)
    FAKE_SURFACE_METHOD(Blt, LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDBLTFX)
    FAKE_SURFACE_METHOD(BltBatch, LPDDBLTBATCH, DWORD, DWORD)
    FAKE_SURFACE_METHOD(BltFast, DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD)
    FAKE_SURFACE_METHOD(DeleteAttachedSurface, DWORD, LPDIRECTDRAWSURFACE)
    FAKE_SURFACE_METHOD(EnumAttachedSurfaces, LPVOID, LPDDENUMSURFACESCALLBACK)
    FAKE_SURFACE_METHOD(EnumOverlayZOrders, DWORD, LPVOID, LPDDENUMSURFACESCALLBACK)
    FAKE_SURFACE_METHOD(Flip, LPDIRECTDRAWSURFACE, DWORD)
    FAKE_SURFACE_METHOD(GetAttachedSurface, LPDDSCAPS, LPDIRECTDRAWSURFACE *)
    FAKE_SURFACE_METHOD(GetBltStatus, DWORD)
    FAKE_SURFACE_METHOD(GetCaps, LPDDSCAPS)
    FAKE_SURFACE_METHOD(GetClipper, LPDIRECTDRAWCLIPPER *)
    FAKE_SURFACE_METHOD(GetColorKey, DWORD, LPDDCOLORKEY)
    FAKE_SURFACE_METHOD(GetDC, HDC *)
    FAKE_SURFACE_METHOD(GetFlipStatus, DWORD)
    FAKE_SURFACE_METHOD(GetOverlayPosition, LPLONG, LPLONG)
    FAKE_SURFACE_METHOD(GetPalette, LPDIRECTDRAWPALETTE *)
    FAKE_SURFACE_METHOD(GetPixelFormat, LPDDPIXELFORMAT)
    FAKE_SURFACE_METHOD(GetSurfaceDesc, LPDDSURFACEDESC)
    FAKE_SURFACE_METHOD(Initialize, LPDIRECTDRAW, LPDDSURFACEDESC)
    FAKE_SURFACE_METHOD(IsLost)
    FAKE_SURFACE_METHOD(Lock, LPRECT, LPDDSURFACEDESC, DWORD, HANDLE)
    FAKE_SURFACE_METHOD(ReleaseDC, HDC)
    FAKE_SURFACE_METHOD(Restore)
    FAKE_SURFACE_METHOD(SetClipper, LPDIRECTDRAWCLIPPER)
    FAKE_SURFACE_METHOD(SetColorKey, DWORD, LPDDCOLORKEY)
    FAKE_SURFACE_METHOD(SetOverlayPosition, LONG, LONG)
    FAKE_SURFACE_METHOD(SetPalette, LPDIRECTDRAWPALETTE)
    FAKE_SURFACE_METHOD(Unlock, LPVOID)
    FAKE_SURFACE_METHOD(UpdateOverlay, LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX)
    FAKE_SURFACE_METHOD(UpdateOverlayDisplay, DWORD)
    FAKE_SURFACE_METHOD(UpdateOverlayZOrder, DWORD, LPDIRECTDRAWSURFACE)
#undef FAKE_SURFACE_METHOD
};

// The fakes record into this one; each test makes its own. Null between tests.
FakeWindows *&fakeWindows();

// The Win32 table over the fakes.
const Win32Api &fakeWin32Api();

// The handles the fakes give out.
HINSTANCE fakeInstance();
HWND fakeWindow();
