// The recording fakes of the Windows platform's calls (see fake_windows.h).
#include "tests/win32/fake_windows.h"

#include <algorithm>
#include <cstdio>

namespace {

// The fake the calls record into, and one line of its log.
FakeWindows &fake() {
    return *fakeWindows();
}
void log(const std::string &line) {
    fake().calls.push_back(line);
}
// Logs the line and gives the answer.
template <typename T> T logged(const std::string &line, T answer) {
    log(line);
    return answer;
}
// Numbers as the log writes them: decimal, or hexadecimal for flags.
std::string num(long long value) {
    return std::to_string(value);
}
std::string hex(unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}

// Names for the handles a test knows, hexadecimal for any other.
std::string nameOf(const void *handle) {
    if (handle == nullptr) return "null";
    if (handle == fakeWindow()) return "window";
    if (handle == fakeInstance()) return "instance";
    return hex(reinterpret_cast<uintptr_t>(handle));
}

// A rectangle as left,top,right,bottom.
std::string rectText(const RECT *r) {
    return r == nullptr
               ? "null"
               : num(r->left) + "," + num(r->top) + "," + num(r->right) + "," + num(r->bottom);
}

// What a method the code under test must not call answers.
HRESULT notCalledOn(const std::string &object, const char *method) {
    return logged("unexpected " + object + "." + method, E_NOTIMPL);
}

const HCURSOR kArrow = reinterpret_cast<HCURSOR>(0x55);

}  // namespace

// A method the code under test must not call: logged as "unexpected <object>.<method>".
#define FAKE_NOT_CALLED(method, ...)                                                               \
    HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override {                                       \
        return notCalled(#method);                                                                 \
    }

// ---------------------------------------------------------------- DirectDraw

struct FakeSurface : IDirectDrawSurface, FakeSurfaceMemory {
    FakeSurface *attached = nullptr;  // the primary's back buffer
    HRESULT notCalled(const char *method) { return notCalledOn(name, method); }
    ULONG STDMETHODCALLTYPE AddRef() override { return notCalled("AddRef"); }
    ULONG STDMETHODCALLTYPE Release() override { return logged(name + ".Release", 0); }
    HRESULT STDMETHODCALLTYPE Blt(LPRECT to, LPDIRECTDRAWSURFACE from, LPRECT fromRect, DWORD flags,
                                  LPDDBLTFX fx) override {
        return logged(name + ".Blt(" + rectText(to) + " from " +
                          static_cast<FakeSurface *>(from)->name + " " + rectText(fromRect) +
                          ", flags " + hex(flags) + ", " + nameOf(fx) + ")",
                      DD_OK);
    }
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE override, DWORD flags) override {
        return logged(name + ".Flip(" + nameOf(override) + "," + num(flags) + ")", DD_OK);
    }
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE *s) override {
        log(name + ".GetAttachedSurface(caps " + hex(caps->dwCaps) + ")");
        if (fake().fails("GetAttachedSurface") || attached == nullptr) return DDERR_NOTFOUND;
        *s = attached;
        return DD_OK;
    }
    // The scripted format, given only to a record of the right size.
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT format) override {
        log(name + ".GetPixelFormat(size " + num(format->dwSize) + ")");
        if (format->dwSize != sizeof(DDPIXELFORMAT) || fake().fails("GetPixelFormat"))
            return DDERR_INVALIDPARAMS;
        const FakeWindows &f = fake();
        format->dwFlags = f.formatFlags;
        format->dwRGBBitCount = f.formatBits;
        format->dwRBitMask = f.redMask;
        format->dwGBitMask = f.greenMask;
        format->dwBBitMask = f.blueMask;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE IsLost() override {
        return logged(name + ".IsLost", lost ? DDERR_SURFACELOST : DD_OK);
    }
    // The whole memory, when asked for the whole surface with a record of the right size.
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags,
                                   HANDLE event) override {
        log(name + ".Lock(" + rectText(rect) + ", size " + num(desc->dwSize) + ", flags " +
            num(flags) + ", " + nameOf(event) + ")");
        if (fake().fails("Lock") || rect != nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
            return DDERR_GENERIC;
        desc->lpSurface = memory.data();
        desc->lPitch = pitch;
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE Restore() override {
        lost = false;
        return logged(name + ".Restore", DD_OK);
    }
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER c) override {
        const char *which = c == fake().clipper ? "clipper" : "other";
        return logged(name + ".SetClipper(" + which + ")", DD_OK);
    }
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID data) override {
        const char *which = data == memory.data() ? "the locked memory" : "other";
        return logged(name + ".Unlock(" + which + ")", DD_OK);
    }
    FAKE_NOT_CALLED(QueryInterface, REFIID, void **)
    FAKE_NOT_CALLED(AddAttachedSurface, LPDIRECTDRAWSURFACE)
    FAKE_NOT_CALLED(AddOverlayDirtyRect, LPRECT)
    FAKE_NOT_CALLED(BltBatch, LPDDBLTBATCH, DWORD, DWORD)
    FAKE_NOT_CALLED(BltFast, DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD)
    FAKE_NOT_CALLED(DeleteAttachedSurface, DWORD, LPDIRECTDRAWSURFACE)
    FAKE_NOT_CALLED(EnumAttachedSurfaces, LPVOID, LPDDENUMSURFACESCALLBACK)
    FAKE_NOT_CALLED(EnumOverlayZOrders, DWORD, LPVOID, LPDDENUMSURFACESCALLBACK)
    FAKE_NOT_CALLED(GetBltStatus, DWORD)
    FAKE_NOT_CALLED(GetCaps, LPDDSCAPS)
    FAKE_NOT_CALLED(GetClipper, LPDIRECTDRAWCLIPPER *)
    FAKE_NOT_CALLED(GetColorKey, DWORD, LPDDCOLORKEY)
    FAKE_NOT_CALLED(GetDC, HDC *)
    FAKE_NOT_CALLED(GetFlipStatus, DWORD)
    FAKE_NOT_CALLED(GetOverlayPosition, LPLONG, LPLONG)
    FAKE_NOT_CALLED(GetPalette, LPDIRECTDRAWPALETTE *)
    FAKE_NOT_CALLED(GetSurfaceDesc, LPDDSURFACEDESC)
    FAKE_NOT_CALLED(Initialize, LPDIRECTDRAW, LPDDSURFACEDESC)
    FAKE_NOT_CALLED(ReleaseDC, HDC)
    FAKE_NOT_CALLED(SetColorKey, DWORD, LPDDCOLORKEY)
    FAKE_NOT_CALLED(SetOverlayPosition, LONG, LONG)
    FAKE_NOT_CALLED(SetPalette, LPDIRECTDRAWPALETTE)
    FAKE_NOT_CALLED(UpdateOverlay, LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX)
    FAKE_NOT_CALLED(UpdateOverlayDisplay, DWORD)
    FAKE_NOT_CALLED(UpdateOverlayZOrder, DWORD, LPDIRECTDRAWSURFACE)
};

// A new object, owned by the fake.
template <typename T> T *made() {
    auto object = std::make_shared<T>();
    fake().objects.push_back(object);
    return object.get();
}

// A surface of pitch x height bytes, 0xEE until written.
FakeSurface *madeSurface(const char *name, LONG pitch, int height) {
    FakeSurface *s = made<FakeSurface>();
    s->name = name;
    s->pitch = pitch;
    s->memory.assign(size_t(pitch) * height, 0xEE);
    return s;
}

struct FakeClipper : IDirectDrawClipper {
    HRESULT notCalled(const char *method) { return notCalledOn("clipper", method); }
    ULONG STDMETHODCALLTYPE AddRef() override { return notCalled("AddRef"); }
    ULONG STDMETHODCALLTYPE Release() override { return logged("clipper.Release", 0); }
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override {
        return logged("clipper.SetHWnd(" + num(flags) + "," + nameOf(window) + ")", DD_OK);
    }
    FAKE_NOT_CALLED(QueryInterface, REFIID, void **)
    FAKE_NOT_CALLED(GetClipList, LPRECT, LPRGNDATA, LPDWORD)
    FAKE_NOT_CALLED(GetHWnd, HWND *)
    FAKE_NOT_CALLED(Initialize, LPDIRECTDRAW, DWORD)
    FAKE_NOT_CALLED(IsClipListChanged, WINBOOL *)
    FAKE_NOT_CALLED(SetClipList, LPRGNDATA, DWORD)
};

struct FakeDirectDraw : IDirectDraw {
    HRESULT notCalled(const char *method) { return notCalledOn("DirectDraw", method); }
    ULONG STDMETHODCALLTYPE AddRef() override { return notCalled("AddRef"); }
    ULONG STDMETHODCALLTYPE Release() override { return logged("DirectDraw.Release", 0); }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER *clipper,
                                            IUnknown *outer) override {
        log("CreateClipper(" + num(flags) + "," + nameOf(outer) + ")");
        if (fake().fails("CreateClipper")) return DDERR_GENERIC;
        *clipper = made<FakeClipper>();
        fake().clipper = *clipper;
        return DD_OK;
    }
    // A primary (with its back buffer when it is a flip chain) or an offscreen surface.
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC d, LPDIRECTDRAWSURFACE *surface,
                                            IUnknown *outer) override {
        std::string line = "CreateSurface(size " + num(d->dwSize) + ", flags " + hex(d->dwFlags) +
                           ", caps " + hex(d->ddsCaps.dwCaps);
        if (d->dwFlags & DDSD_BACKBUFFERCOUNT)
            line += ", back buffers " + num(d->dwBackBufferCount);
        if (d->dwFlags & DDSD_WIDTH) line += ", " + num(d->dwWidth) + "x" + num(d->dwHeight);
        log(line + ", " + nameOf(outer) + ")");
        FakeWindows &f = fake();
        if (f.fails("CreateSurface") ||
            ((d->ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && !f.videoMemory))
            return DDERR_NODIRECTDRAWHW;
        if (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) {
            FakeSurface *primary = madeSurface("primary", 0, 0);
            if (d->ddsCaps.dwCaps & DDSCAPS_FLIP)
                f.back = primary->attached = madeSurface("back", f.pitch, 480);
            f.primary = primary;
            *surface = primary;
        } else {
            FakeSurface *offscreen = madeSurface("offscreen", f.pitch, int(d->dwHeight));
            f.offscreen = offscreen;
            *surface = offscreen;
        }
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        log("SetCooperativeLevel(" + nameOf(window) + "," + num(flags) + ")");
        return fake().fails("SetCooperativeLevel") ? DDERR_GENERIC : DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bits) override {
        log("SetDisplayMode(" + num(width) + "," + num(height) + "," + num(bits) + ")");
        const std::vector<DWORD> &modes = fake().modes;
        const bool taken = std::count(modes.begin(), modes.end(), bits) > 0;
        return taken && !fake().fails("SetDisplayMode") ? DD_OK : DDERR_UNSUPPORTED;
    }
    FAKE_NOT_CALLED(QueryInterface, REFIID, void **)
    FAKE_NOT_CALLED(Compact)
    FAKE_NOT_CALLED(CreatePalette, DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE *, IUnknown *)
    FAKE_NOT_CALLED(DuplicateSurface, LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE *)
    FAKE_NOT_CALLED(EnumDisplayModes, DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK)
    FAKE_NOT_CALLED(EnumSurfaces, DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK)
    FAKE_NOT_CALLED(FlipToGDISurface)
    FAKE_NOT_CALLED(GetCaps, LPDDCAPS, LPDDCAPS)
    FAKE_NOT_CALLED(GetDisplayMode, LPDDSURFACEDESC)
    FAKE_NOT_CALLED(GetFourCCCodes, LPDWORD, LPDWORD)
    FAKE_NOT_CALLED(GetGDISurface, LPDIRECTDRAWSURFACE *)
    FAKE_NOT_CALLED(GetMonitorFrequency, LPDWORD)
    FAKE_NOT_CALLED(GetScanLine, LPDWORD)
    FAKE_NOT_CALLED(GetVerticalBlankStatus, WINBOOL *)
    FAKE_NOT_CALLED(Initialize, GUID *)
    FAKE_NOT_CALLED(RestoreDisplayMode)
    FAKE_NOT_CALLED(WaitForVerticalBlank, DWORD, HANDLE)
};

// DirectDrawCreate as ddraw.dll exports it.
HRESULT WINAPI fakeDirectDrawCreate(GUID *guid, IDirectDraw **directDraw, IUnknown *outer) {
    log("DirectDrawCreate(" + nameOf(guid) + "," + nameOf(outer) + ")");
    if (fake().fails("DirectDrawCreate")) return DDERR_GENERIC;
    *directDraw = made<FakeDirectDraw>();
    return DD_OK;
}

// ---------------------------------------------------------------- the log and the script

bool FakeWindows::fails(const std::string &call) const {
    return std::count(failing.begin(), failing.end(), call) > 0;
}

int FakeWindows::count(const std::string &prefix) const {
    return int(std::count_if(calls.begin(), calls.end(), [&](const std::string &c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
}

std::string windowsPath(const std::string &path) {
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

FakeWindows *&fakeWindows() {
    static FakeWindows *current = nullptr;
    return current;
}

HINSTANCE fakeInstance() {
    return reinterpret_cast<HINSTANCE>(0x400000);
}
HWND fakeWindow() {
    return reinterpret_cast<HWND>(0x1234);
}

// ---------------------------------------------------------------- Win32

namespace {

// Takes the first of a scripted queue, or empty when it has run out.
template <typename T> T takeFirst(std::vector<T> &queue, T empty) {
    if (queue.empty()) return empty;
    const T first = queue.front();
    queue.erase(queue.begin());
    return first;
}

HMODULE WINAPI fakeGetModuleHandleA(LPCSTR name) {
    return logged("GetModuleHandleA(" + std::string(name ? name : "null") + ")", fakeInstance());
}
HMODULE WINAPI fakeLoadLibraryA(LPCSTR name) {
    return logged("LoadLibraryA(" + std::string(name) + ")",
                  fake().fails("LoadLibraryA") ? nullptr : reinterpret_cast<HMODULE>(0x7000));
}
FARPROC WINAPI fakeGetProcAddress(HMODULE, LPCSTR name) {
    const auto create = reinterpret_cast<FARPROC>(reinterpret_cast<void *>(fakeDirectDrawCreate));
    return logged("GetProcAddress(" + std::string(name) + ")",
                  fake().fails("GetProcAddress") ? nullptr : create);
}
// Grows the rectangle as an overlapped window's frame and caption would.
BOOL WINAPI fakeAdjustWindowRect(LPRECT r, DWORD style, BOOL menu) {
    log("AdjustWindowRect(" + rectText(r) + ", style " + hex(style) + ", menu " + num(menu) + ")");
    *r = {r->left - 8, r->top - 31, r->right + 8, r->bottom + 8};
    return TRUE;
}
HCURSOR WINAPI fakeLoadCursorA(HINSTANCE instance, LPCSTR name) {
    return logged("LoadCursorA(" + nameOf(instance) + "," + num(reinterpret_cast<uintptr_t>(name)) +
                      ")",
                  kArrow);
}
ATOM WINAPI fakeRegisterClassA(const WNDCLASSA *c) {
    log("RegisterClassA(" + std::string(c->lpszClassName) + ", style " + num(c->style) +
        ", extra " + num(c->cbClsExtra) + "/" + num(c->cbWndExtra) + ", instance " +
        nameOf(c->hInstance) + ", icon " + nameOf(c->hIcon) + ", cursor " +
        (c->hCursor == kArrow ? "arrow" : nameOf(c->hCursor)) + ", brush " +
        nameOf(c->hbrBackground) + ", menu " + nameOf(c->lpszMenuName) + ")");
    fake().windowProc = c->lpfnWndProc;
    return 1;
}
HWND WINAPI fakeCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID parameter) {
    log("CreateWindowExA(" + num(exStyle) + "," + className + ",'" + title + "'," + hex(style) +
        "," + num(x) + "," + num(y) + "," + num(width) + "," + num(height) + "," + nameOf(parent) +
        "," + nameOf(menu) + "," + nameOf(instance) + "," + nameOf(parameter) + ")");
    return fake().fails("CreateWindowExA") ? nullptr : fakeWindow();
}
BOOL WINAPI fakeSetForegroundWindow(HWND w) {
    return logged("SetForegroundWindow(" + nameOf(w) + ")", TRUE);
}
int WINAPI fakeShowCursor(BOOL show) {
    return logged("ShowCursor(" + num(show) + ")", fake().cursorCounter += show ? 1 : -1);
}
BOOL WINAPI fakeDestroyWindow(HWND w) {
    return logged("DestroyWindow(" + nameOf(w) + ")", TRUE);
}
BOOL WINAPI fakeUnregisterClassA(LPCSTR name, HINSTANCE instance) {
    return logged("UnregisterClassA(" + std::string(name) + "," + nameOf(instance) + ")", TRUE);
}
BOOL WINAPI fakeClientToScreen(HWND window, LPPOINT point) {
    *point = {point->x + fake().clientOrigin.x, point->y + fake().clientOrigin.y};
    return logged("ClientToScreen(" + nameOf(window) + ")", TRUE);
}
BOOL WINAPI fakeGetClientRect(HWND window, LPRECT r) {
    *r = fake().client;
    return logged("GetClientRect(" + nameOf(window) + ")", TRUE);
}
BOOL WINAPI fakeOffsetRect(LPRECT r, int dx, int dy) {
    *r = {r->left + dx, r->top + dy, r->right + dx, r->bottom + dy};
    return logged("OffsetRect(" + num(dx) + "," + num(dy) + ")", TRUE);
}
BOOL WINAPI fakeSetRect(LPRECT r, int left, int top, int right, int bottom) {
    *r = {left, top, right, bottom};
    return logged("SetRect(" + rectText(r) + ")", TRUE);
}
LRESULT WINAPI fakeDefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    return logged("DefWindowProcA(" + nameOf(window) + "," + hex(message) + "," + hex(wParam) + ")",
                  0x5EF);
}
void WINAPI fakePostQuitMessage(int code) {
    log("PostQuitMessage(" + num(code) + ")");
}
HWND WINAPI fakeGetForegroundWindow() {
    return logged("GetForegroundWindow", fake().foreground);
}
BOOL WINAPI fakePeekMessageA(LPMSG message, HWND, UINT, UINT, UINT) {
    if (fake().messages.empty()) return FALSE;
    *message = {};
    message->hwnd = fakeWindow();
    message->message = takeFirst(fake().messages, 0u);
    return TRUE;
}
BOOL WINAPI fakeTranslateMessage(const MSG *m) {
    return logged("TranslateMessage(" + hex(m->message) + ")", FALSE);
}
LRESULT WINAPI fakeDispatchMessageA(const MSG *m) {
    return logged("DispatchMessageA(" + hex(m->message) + ")", 0);
}
SHORT WINAPI fakeGetAsyncKeyState(int key) {
    return logged("GetAsyncKeyState(" + num(key) + ")", takeFirst(fake().escapeStates, SHORT(0)));
}
DWORD WINAPI fakeTimeGetTime() {
    return fake().now;
}
MMRESULT WINAPI fakeTimeBeginPeriod(UINT milliseconds) {
    return logged("timeBeginPeriod(" + num(milliseconds) + ")",
                  fake().fails("timeBeginPeriod") ? TIMERR_NOCANDO : TIMERR_NOERROR);
}
MMRESULT WINAPI fakeTimeEndPeriod(UINT milliseconds) {
    return logged("timeEndPeriod(" + num(milliseconds) + ")", TIMERR_NOERROR);
}
// Sends the scripted messages to the procedure until it ends the dialog; -1 if it never does.
INT_PTR WINAPI fakeDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                                   LPARAM parameter) {
    log("DialogBoxParamA(" + nameOf(instance) + "," + num(reinterpret_cast<uintptr_t>(name)) + "," +
        nameOf(owner) + "," + num(parameter) + ")");
    const HWND dialog = reinterpret_cast<HWND>(0xD1A);
    for (const auto &[message, wParam] : fake().dialog) {
        const INT_PTR result = procedure(dialog, message, wParam, 0);
        log("procedure(" + hex(message) + "," + hex(wParam) + ") = " + num(result));
        if (fake().dialogEnded) return fake().dialogResult;
    }
    return -1;
}
BOOL WINAPI fakeCheckDlgButton(HWND, int id, UINT state) {
    return logged("CheckDlgButton(" + num(id) + "," + num(state) + ")", TRUE);
}
UINT WINAPI fakeIsDlgButtonChecked(HWND, int id) {
    return logged("IsDlgButtonChecked(" + num(id) + ")", fake().boxState);
}
BOOL WINAPI fakeEndDialog(HWND, INT_PTR result) {
    fake().dialogEnded = true;
    fake().dialogResult = result;
    return logged("EndDialog(" + num(result) + ")", TRUE);
}
int WINAPI fakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return logged("MessageBoxA(" + nameOf(owner) + ",'" + text + "','" + caption + "'," +
                      num(type) + ")",
                  IDOK);
}
// The scripted folder or path, as Windows gives it: its length, or the size asked for when it
// does not fit.
DWORD copied(const std::string &text, LPSTR buffer, DWORD size) {
    if (text.size() >= size) return size;
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return DWORD(text.size());
}
DWORD WINAPI fakeGetCurrentDirectoryA(DWORD size, LPSTR folder) {
    return logged("GetCurrentDirectoryA", copied(fake().workingFolder, folder, size));
}
DWORD WINAPI fakeGetModuleFileNameA(HMODULE module, LPSTR path, DWORD size) {
    return logged("GetModuleFileNameA(" + nameOf(module) + ")",
                  copied(fake().programPath, path, size));
}
BOOL WINAPI fakeEnumDisplaySettingsA(LPCSTR device, DWORD mode, DEVMODEA *settings) {
    log("EnumDisplaySettingsA(" + nameOf(device) + "," +
        (mode == ENUM_CURRENT_SETTINGS ? std::string("current") : num(mode)) + ", size " +
        num(settings->dmSize) + ")");
    if (fake().fails("EnumDisplaySettingsA")) return FALSE;
    settings->dmDisplayFrequency = fake().refreshRate;
    return TRUE;
}
// Time passes only here.
void WINAPI fakeSleep(DWORD milliseconds) {
    fake().now += logged("Sleep(" + num(milliseconds) + ")", milliseconds);
}

}  // namespace

const Win32Api &fakeWin32Api() {
    static const Win32Api api = {
        fakeGetModuleHandleA,     fakeLoadLibraryA,        fakeGetProcAddress,
        fakeAdjustWindowRect,     fakeLoadCursorA,         fakeRegisterClassA,
        fakeCreateWindowExA,      fakeSetForegroundWindow, fakeShowCursor,
        fakeDestroyWindow,        fakeUnregisterClassA,    fakeClientToScreen,
        fakeGetClientRect,        fakeOffsetRect,          fakeSetRect,
        fakeDefWindowProcA,       fakePostQuitMessage,     fakeGetForegroundWindow,
        fakePeekMessageA,         fakeTranslateMessage,    fakeDispatchMessageA,
        fakeGetAsyncKeyState,     fakeTimeGetTime,         fakeTimeBeginPeriod,
        fakeTimeEndPeriod,        fakeDialogBoxParamA,     fakeCheckDlgButton,
        fakeIsDlgButtonChecked,   fakeEndDialog,           fakeMessageBoxA,
        fakeGetCurrentDirectoryA, fakeGetModuleFileNameA,  fakeSleep,
        fakeEnumDisplaySettingsA};
    return api;
}
