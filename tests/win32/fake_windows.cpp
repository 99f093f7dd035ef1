// The recording fakes of the Windows platform's calls (see fake_windows.h).
#include "tests/win32/fake_windows.h"

#include <algorithm>
#include <cstdio>

namespace {

// The fakes' log, and the scripted display behind it.
FakeWindows &fake() {
    return *fakeWindows();
}

// One log line.
void log(const std::string &line) {
    fake().calls.push_back(line);
}

// Names for the handles a test knows, hexadecimal for any other.
std::string nameOf(const void *handle) {
    if (handle == nullptr) return "null";
    if (handle == fakeWindow()) return "window";
    if (handle == fakeInstance()) return "instance";
    char text[32];
    std::snprintf(text, sizeof text, "%p", handle);
    return text;
}

std::string hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

std::string rectText(const RECT *r) {
    return r == nullptr ? "null"
                        : std::to_string(r->left) + "," + std::to_string(r->top) + "," +
                              std::to_string(r->right) + "," + std::to_string(r->bottom);
}

const HCURSOR kArrow = reinterpret_cast<HCURSOR>(0x55);

}  // namespace

// ---------------------------------------------------------------- DirectDraw

struct FakeClipper : IDirectDrawClipper {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override {
        return unexpected("QueryInterface");
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return unexpected("AddRef"); }
    ULONG STDMETHODCALLTYPE Release() override {
        log("clipper.Release");
        return 0;
    }
    HRESULT STDMETHODCALLTYPE GetClipList(LPRECT, LPRGNDATA, LPDWORD) override {
        return unexpected("GetClipList");
    }
    HRESULT STDMETHODCALLTYPE GetHWnd(HWND *) override { return unexpected("GetHWnd"); }
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD) override {
        return unexpected("Initialize");
    }
    HRESULT STDMETHODCALLTYPE IsClipListChanged(WINBOOL *) override {
        return unexpected("IsClipListChanged");
    }
    HRESULT STDMETHODCALLTYPE SetClipList(LPRGNDATA, DWORD) override {
        return unexpected("SetClipList");
    }
    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override {
        log("clipper.SetHWnd(" + std::to_string(flags) + "," + nameOf(window) + ")");
        return DD_OK;
    }
    static HRESULT unexpected(const char *name) {
        log(std::string("unexpected clipper.") + name);
        return E_NOTIMPL;
    }
};

struct FakeDirectDraw : IDirectDraw {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **) override {
        return unexpected("QueryInterface");
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return unexpected("AddRef"); }
    ULONG STDMETHODCALLTYPE Release() override {
        log("DirectDraw.Release");
        return 0;
    }
    HRESULT STDMETHODCALLTYPE Compact() override { return unexpected("Compact"); }
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER *clipper,
                                            IUnknown *outer) override {
        log("CreateClipper(" + std::to_string(flags) + "," + nameOf(outer) + ")");
        if (fake().fails("CreateClipper")) return DDERR_GENERIC;
        fake().clipper = std::make_unique<FakeClipper>();
        *clipper = fake().clipper.get();
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE *,
                                            IUnknown *) override {
        return unexpected("CreatePalette");
    }
    // A primary (with its back buffer when it is a flip chain) or an offscreen surface.
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC d, LPDIRECTDRAWSURFACE *surface,
                                            IUnknown *outer) override {
        std::string line = "CreateSurface(size " + std::to_string(d->dwSize) + ", flags " +
                           hex(d->dwFlags) + ", caps " + hex(d->ddsCaps.dwCaps);
        if (d->dwFlags & DDSD_BACKBUFFERCOUNT)
            line += ", back buffers " + std::to_string(d->dwBackBufferCount);
        if (d->dwFlags & DDSD_WIDTH)
            line += ", " + std::to_string(d->dwWidth) + "x" + std::to_string(d->dwHeight);
        log(line + ", " + nameOf(outer) + ")");
        FakeWindows &f = fake();
        if (f.fails("CreateSurface") ||
            ((d->ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && !f.videoMemory))
            return DDERR_NODIRECTDRAWHW;
        if (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) {
            f.primary = std::make_unique<FakeSurface>("primary", 0, 0);
            if (d->ddsCaps.dwCaps & DDSCAPS_FLIP) {
                f.back = std::make_unique<FakeSurface>("back", f.pitch, 480);
                f.primary->attached = f.back.get();
            }
            *surface = f.primary.get();
        } else {
            f.offscreen =
                std::make_unique<FakeSurface>("offscreen", f.pitch, static_cast<int>(d->dwHeight));
            *surface = f.offscreen.get();
        }
        return DD_OK;
    }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(LPDIRECTDRAWSURFACE,
                                               LPDIRECTDRAWSURFACE *) override {
        return unexpected("DuplicateSurface");
    }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID,
                                               LPDDENUMMODESCALLBACK) override {
        return unexpected("EnumDisplayModes");
    }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID,
                                           LPDDENUMSURFACESCALLBACK) override {
        return unexpected("EnumSurfaces");
    }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return unexpected("FlipToGDISurface"); }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS, LPDDCAPS) override { return unexpected("GetCaps"); }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC) override {
        return unexpected("GetDisplayMode");
    }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override {
        return unexpected("GetFourCCCodes");
    }
    HRESULT STDMETHODCALLTYPE GetGDISurface(LPDIRECTDRAWSURFACE *) override {
        return unexpected("GetGDISurface");
    }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override {
        return unexpected("GetMonitorFrequency");
    }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return unexpected("GetScanLine"); }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(WINBOOL *) override {
        return unexpected("GetVerticalBlankStatus");
    }
    HRESULT STDMETHODCALLTYPE Initialize(GUID *) override { return unexpected("Initialize"); }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override {
        return unexpected("RestoreDisplayMode");
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        log("SetCooperativeLevel(" + nameOf(window) + "," + std::to_string(flags) + ")");
        return fake().fails("SetCooperativeLevel") ? DDERR_GENERIC : DD_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bits) override {
        log("SetDisplayMode(" + std::to_string(width) + "," + std::to_string(height) + "," +
            std::to_string(bits) + ")");
        const std::vector<DWORD> &modes = fake().modes;
        return std::find(modes.begin(), modes.end(), bits) != modes.end() ? DD_OK
                                                                          : DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override {
        return unexpected("WaitForVerticalBlank");
    }
    static HRESULT unexpected(const char *name) {
        log(std::string("unexpected DirectDraw.") + name);
        return E_NOTIMPL;
    }
};

// DirectDrawCreate as ddraw.dll exports it.
HRESULT WINAPI fakeDirectDrawCreate(GUID *guid, IDirectDraw **directDraw, IUnknown *outer) {
    log("DirectDrawCreate(" + nameOf(guid) + "," + nameOf(outer) + ")");
    if (fake().fails("DirectDrawCreate")) return DDERR_GENERIC;
    fake().directDraw = std::make_unique<FakeDirectDraw>();
    *directDraw = fake().directDraw.get();
    return DD_OK;
}

// ---------------------------------------------------------------- surfaces

FakeSurface::FakeSurface(std::string n, LONG p, int height)
    : name(std::move(n)), pitch(p), memory(static_cast<size_t>(p) * height, 0xEE) {}

namespace {
HRESULT unexpectedOn(const FakeSurface &s, const char *method) {
    log("unexpected " + s.name + "." + method);
    return E_NOTIMPL;
}
}  // namespace

HRESULT FakeSurface::QueryInterface(REFIID, void **) {
    return unexpectedOn(*this, "QueryInterface");
}
ULONG FakeSurface::AddRef() {
    return unexpectedOn(*this, "AddRef");
}
ULONG FakeSurface::Release() {
    log(name + ".Release");
    return 0;
}
HRESULT FakeSurface::AddAttachedSurface(LPDIRECTDRAWSURFACE) {
    return unexpectedOn(*this, "AddAttachedSurface");
}
HRESULT FakeSurface::AddOverlayDirtyRect(LPRECT) {
    return unexpectedOn(*this, "AddOverlayDirtyRect");
}
HRESULT FakeSurface::Blt(LPRECT to, LPDIRECTDRAWSURFACE from, LPRECT fromRect, DWORD flags,
                         LPDDBLTFX fx) {
    log(name + ".Blt(" + rectText(to) + " from " + static_cast<FakeSurface *>(from)->name + " " +
        rectText(fromRect) + ", flags " + hex(flags) + ", " + nameOf(fx) + ")");
    return DD_OK;
}
HRESULT FakeSurface::BltBatch(LPDDBLTBATCH, DWORD, DWORD) {
    return unexpectedOn(*this, "BltBatch");
}
HRESULT FakeSurface::BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) {
    return unexpectedOn(*this, "BltFast");
}
HRESULT FakeSurface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) {
    return unexpectedOn(*this, "DeleteAttachedSurface");
}
HRESULT FakeSurface::EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) {
    return unexpectedOn(*this, "EnumAttachedSurfaces");
}
HRESULT FakeSurface::EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) {
    return unexpectedOn(*this, "EnumOverlayZOrders");
}
HRESULT FakeSurface::Flip(LPDIRECTDRAWSURFACE override, DWORD flags) {
    log(name + ".Flip(" + nameOf(override) + "," + std::to_string(flags) + ")");
    return DD_OK;
}
HRESULT FakeSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE *surface) {
    log(name + ".GetAttachedSurface(caps " + hex(caps->dwCaps) + ")");
    if (fake().fails("GetAttachedSurface") || attached == nullptr) return DDERR_NOTFOUND;
    *surface = attached;
    return DD_OK;
}
HRESULT FakeSurface::GetBltStatus(DWORD) {
    return unexpectedOn(*this, "GetBltStatus");
}
HRESULT FakeSurface::GetCaps(LPDDSCAPS) {
    return unexpectedOn(*this, "GetCaps");
}
HRESULT FakeSurface::GetClipper(LPDIRECTDRAWCLIPPER *) {
    return unexpectedOn(*this, "GetClipper");
}
HRESULT FakeSurface::GetColorKey(DWORD, LPDDCOLORKEY) {
    return unexpectedOn(*this, "GetColorKey");
}
HRESULT FakeSurface::GetDC(HDC *) {
    return unexpectedOn(*this, "GetDC");
}
HRESULT FakeSurface::GetFlipStatus(DWORD) {
    return unexpectedOn(*this, "GetFlipStatus");
}
HRESULT FakeSurface::GetOverlayPosition(LPLONG, LPLONG) {
    return unexpectedOn(*this, "GetOverlayPosition");
}
HRESULT FakeSurface::GetPalette(LPDIRECTDRAWPALETTE *) {
    return unexpectedOn(*this, "GetPalette");
}
// The scripted format, given only to a record of the right size.
HRESULT FakeSurface::GetPixelFormat(LPDDPIXELFORMAT format) {
    log(name + ".GetPixelFormat(size " + std::to_string(format->dwSize) + ")");
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
HRESULT FakeSurface::GetSurfaceDesc(LPDDSURFACEDESC) {
    return unexpectedOn(*this, "GetSurfaceDesc");
}
HRESULT FakeSurface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) {
    return unexpectedOn(*this, "Initialize");
}
HRESULT FakeSurface::IsLost() {
    log(name + ".IsLost");
    return lost ? DDERR_SURFACELOST : DD_OK;
}
// The whole memory, when asked for the whole surface with a record of the right size.
HRESULT FakeSurface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) {
    log(name + ".Lock(" + rectText(rect) + ", size " + std::to_string(desc->dwSize) + ", flags " +
        std::to_string(flags) + ", " + nameOf(event) + ")");
    if (fake().fails("Lock") || rect != nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return DDERR_GENERIC;
    desc->lpSurface = memory.data();
    desc->lPitch = pitch;
    return DD_OK;
}
HRESULT FakeSurface::ReleaseDC(HDC) {
    return unexpectedOn(*this, "ReleaseDC");
}
HRESULT FakeSurface::Restore() {
    log(name + ".Restore");
    lost = false;
    return DD_OK;
}
HRESULT FakeSurface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    log(name + ".SetClipper(" + std::string(clipper == fake().clipper.get() ? "clipper" : "other") +
        ")");
    return DD_OK;
}
HRESULT FakeSurface::SetColorKey(DWORD, LPDDCOLORKEY) {
    return unexpectedOn(*this, "SetColorKey");
}
HRESULT FakeSurface::SetOverlayPosition(LONG, LONG) {
    return unexpectedOn(*this, "SetOverlayPosition");
}
HRESULT FakeSurface::SetPalette(LPDIRECTDRAWPALETTE) {
    return unexpectedOn(*this, "SetPalette");
}
HRESULT FakeSurface::Unlock(LPVOID data) {
    log(name + ".Unlock(" + std::string(data == memory.data() ? "the locked memory" : "other") +
        ")");
    return DD_OK;
}
HRESULT FakeSurface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) {
    return unexpectedOn(*this, "UpdateOverlay");
}
HRESULT FakeSurface::UpdateOverlayDisplay(DWORD) {
    return unexpectedOn(*this, "UpdateOverlayDisplay");
}
HRESULT FakeSurface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) {
    return unexpectedOn(*this, "UpdateOverlayZOrder");
}

// ---------------------------------------------------------------- the log and the script

FakeWindows::FakeWindows() = default;
FakeWindows::~FakeWindows() = default;

bool FakeWindows::fails(const std::string &call) const {
    return std::find(failing.begin(), failing.end(), call) != failing.end();
}

int FakeWindows::count(const std::string &prefix) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string &c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
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

HMODULE WINAPI fakeGetModuleHandleA(LPCSTR name) {
    log("GetModuleHandleA(" + std::string(name ? name : "null") + ")");
    return fakeInstance();
}
HMODULE WINAPI fakeLoadLibraryA(LPCSTR name) {
    log("LoadLibraryA(" + std::string(name) + ")");
    return fake().fails("LoadLibraryA") ? nullptr : reinterpret_cast<HMODULE>(0x7000);
}
FARPROC WINAPI fakeGetProcAddress(HMODULE, LPCSTR name) {
    log("GetProcAddress(" + std::string(name) + ")");
    if (fake().fails("GetProcAddress")) return nullptr;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(fakeDirectDrawCreate));
}
// Grows the rectangle as an overlapped window's frame and caption would.
BOOL WINAPI fakeAdjustWindowRect(LPRECT r, DWORD style, BOOL menu) {
    log("AdjustWindowRect(" + rectText(r) + ", style " + hex(style) + ", menu " +
        std::to_string(menu) + ")");
    r->left -= 8;
    r->top -= 31;
    r->right += 8;
    r->bottom += 8;
    return TRUE;
}
HCURSOR WINAPI fakeLoadCursorA(HINSTANCE instance, LPCSTR name) {
    log("LoadCursorA(" + nameOf(instance) + "," +
        std::to_string(reinterpret_cast<uintptr_t>(name)) + ")");
    return kArrow;
}
ATOM WINAPI fakeRegisterClassA(const WNDCLASSA *c) {
    log("RegisterClassA(" + std::string(c->lpszClassName) + ", style " + std::to_string(c->style) +
        ", extra " + std::to_string(c->cbClsExtra) + "/" + std::to_string(c->cbWndExtra) +
        ", instance " + nameOf(c->hInstance) + ", icon " + nameOf(c->hIcon) + ", cursor " +
        (c->hCursor == kArrow ? "arrow" : nameOf(c->hCursor)) + ", brush " +
        nameOf(c->hbrBackground) + ", menu " + nameOf(c->lpszMenuName) + ")");
    fake().windowProc = c->lpfnWndProc;
    return 1;
}
HWND WINAPI fakeCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID parameter) {
    log("CreateWindowExA(" + std::to_string(exStyle) + "," + className + ",'" + title + "'," +
        hex(style) + "," + std::to_string(x) + "," + std::to_string(y) + "," +
        std::to_string(width) + "," + std::to_string(height) + "," + nameOf(parent) + "," +
        nameOf(menu) + "," + nameOf(instance) + "," + nameOf(parameter) + ")");
    return fake().fails("CreateWindowExA") ? nullptr : fakeWindow();
}
BOOL WINAPI fakeSetForegroundWindow(HWND window) {
    log("SetForegroundWindow(" + nameOf(window) + ")");
    return TRUE;
}
int WINAPI fakeShowCursor(BOOL show) {
    log("ShowCursor(" + std::to_string(show) + ")");
    return fake().cursorCounter += show ? 1 : -1;
}
BOOL WINAPI fakeDestroyWindow(HWND window) {
    log("DestroyWindow(" + nameOf(window) + ")");
    return TRUE;
}
BOOL WINAPI fakeUnregisterClassA(LPCSTR name, HINSTANCE instance) {
    log("UnregisterClassA(" + std::string(name) + "," + nameOf(instance) + ")");
    return TRUE;
}
BOOL WINAPI fakeClientToScreen(HWND window, LPPOINT point) {
    log("ClientToScreen(" + nameOf(window) + ")");
    point->x += fake().clientOrigin.x;
    point->y += fake().clientOrigin.y;
    return TRUE;
}
BOOL WINAPI fakeGetClientRect(HWND window, LPRECT r) {
    log("GetClientRect(" + nameOf(window) + ")");
    *r = fake().client;
    return TRUE;
}
BOOL WINAPI fakeOffsetRect(LPRECT r, int dx, int dy) {
    log("OffsetRect(" + std::to_string(dx) + "," + std::to_string(dy) + ")");
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI fakeSetRect(LPRECT r, int left, int top, int right, int bottom) {
    *r = {left, top, right, bottom};
    log("SetRect(" + rectText(r) + ")");
    return TRUE;
}
LRESULT WINAPI fakeDefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    log("DefWindowProcA(" + nameOf(window) + "," + hex(message) + "," + hex(wParam) + ")");
    return 0x5EF;
}
void WINAPI fakePostQuitMessage(int code) {
    log("PostQuitMessage(" + std::to_string(code) + ")");
}
BOOL WINAPI fakePeekMessageA(LPMSG message, HWND, UINT, UINT, UINT) {
    std::vector<UINT> &queue = fake().messages;
    if (queue.empty()) return FALSE;
    *message = {};
    message->hwnd = fakeWindow();
    message->message = queue.front();
    queue.erase(queue.begin());
    return TRUE;
}
BOOL WINAPI fakeTranslateMessage(const MSG *message) {
    log("TranslateMessage(" + hex(message->message) + ")");
    return FALSE;
}
LRESULT WINAPI fakeDispatchMessageA(const MSG *message) {
    log("DispatchMessageA(" + hex(message->message) + ")");
    return 0;
}
SHORT WINAPI fakeGetAsyncKeyState(int key) {
    log("GetAsyncKeyState(" + std::to_string(key) + ")");
    std::vector<SHORT> &states = fake().escapeStates;
    if (states.empty()) return 0;
    const SHORT state = states.front();
    states.erase(states.begin());
    return state;
}
DWORD WINAPI fakeTimeGetTime() {
    return 0;
}
// Sends the scripted messages to the procedure until it ends the dialog; -1 if it never does.
INT_PTR WINAPI fakeDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                                   LPARAM parameter) {
    log("DialogBoxParamA(" + nameOf(instance) + "," +
        std::to_string(reinterpret_cast<uintptr_t>(name)) + "," + nameOf(owner) + "," +
        std::to_string(parameter) + ")");
    const HWND dialog = reinterpret_cast<HWND>(0xD1A);
    for (const auto &[message, wParam] : fake().dialog) {
        const INT_PTR result = procedure(dialog, message, wParam, 0);
        log("procedure(" + hex(message) + "," + hex(wParam) + ") = " + std::to_string(result));
        if (fake().dialogEnded) return fake().dialogResult;
    }
    return -1;
}
BOOL WINAPI fakeCheckDlgButton(HWND, int id, UINT state) {
    log("CheckDlgButton(" + std::to_string(id) + "," + std::to_string(state) + ")");
    return TRUE;
}
UINT WINAPI fakeIsDlgButtonChecked(HWND, int id) {
    log("IsDlgButtonChecked(" + std::to_string(id) + ")");
    return fake().boxState;
}
BOOL WINAPI fakeEndDialog(HWND, INT_PTR result) {
    log("EndDialog(" + std::to_string(result) + ")");
    fake().dialogEnded = true;
    fake().dialogResult = result;
    return TRUE;
}
int WINAPI fakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    log("MessageBoxA(" + nameOf(owner) + ",'" + text + "','" + caption + "'," +
        std::to_string(type) + ")");
    return IDOK;
}

}  // namespace

const Win32Api &fakeWin32Api() {
    static const Win32Api api = {
        fakeGetModuleHandleA,   fakeLoadLibraryA,   fakeGetProcAddress,   fakeAdjustWindowRect,
        fakeLoadCursorA,        fakeRegisterClassA, fakeCreateWindowExA,  fakeSetForegroundWindow,
        fakeShowCursor,         fakeDestroyWindow,  fakeUnregisterClassA, fakeClientToScreen,
        fakeGetClientRect,      fakeOffsetRect,     fakeSetRect,          fakeDefWindowProcA,
        fakePostQuitMessage,    fakePeekMessageA,   fakeTranslateMessage, fakeDispatchMessageA,
        fakeGetAsyncKeyState,   fakeTimeGetTime,    fakeDialogBoxParamA,  fakeCheckDlgButton,
        fakeIsDlgButtonChecked, fakeEndDialog,      fakeMessageBoxA};
    return api;
}
