// The recording fakes of the Windows platform's calls (see fake_windows.h). DirectDraw's
// interfaces are taken here as C tables of functions: the fakes fill in only the methods the
// display calls, and a call to any other (a null) fails the test.
#define CINTERFACE
#include "tests/win32/fake_windows.h"

#include <algorithm>
#include <cstdio>

namespace {

// The fake the calls record into.
FakeWindows &fake() {
    return *fakeWindows;
}
// Whether the script makes the call fail.
bool fails(const char *call) {
    return std::ranges::count(fake().failing, call) > 0;
}
// Logs the line and gives the answer.
template <typename T = int> T logged(const std::string &line, T answer = 0) {
    fake().calls.push_back(line);
    return answer;
}
// Numbers as the log writes them, in decimal.
std::string num(long long value) {
    return std::to_string(value);
}
// Flags in hexadecimal.
std::string hex(unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}
// Names for the handles a test knows, hexadecimal for any other.
std::string nameOf(const void *handle) {
    if (handle == nullptr) return "null";
    if (handle == kFakeWindow) return "window";
    if (handle == kFakeInstance) return "instance";
    return hex(reinterpret_cast<uintptr_t>(handle));
}
// A rectangle as left,top,right,bottom.
std::string rectText(const RECT *r) {
    return num(r->left) + "," + num(r->top) + "," + num(r->right) + "," + num(r->bottom);
}

// ---------------------------------------------------------------- DirectDraw

// A surface, and the one a method is called on.
struct FakeSurface : IDirectDrawSurface, FakeSurfaceMemory {};
FakeSurface &self(IDirectDrawSurface *s) {
    return *static_cast<FakeSurface *>(s);
}

// The surface methods the display calls. Lock gives the whole memory of a surface not locked
// already, with a record of the right size, when told to wait while it is busy.
IDirectDrawSurfaceVtbl surfaceMethods = [] {
    IDirectDrawSurfaceVtbl m = {};
    m.Release = [](IDirectDrawSurface *s) STDMETHODCALLTYPE -> ULONG {
        return logged(self(s).name + ".Release", ULONG(0));
    };
    m.Blt = [](IDirectDrawSurface *s, LPRECT to, LPDIRECTDRAWSURFACE from, LPRECT fromRect,
               DWORD flags, LPDDBLTFX fx) STDMETHODCALLTYPE -> HRESULT {
        return logged(self(s).name + ".Blt(" + rectText(to) + " from " + self(from).name + " " +
                          rectText(fromRect) + ", flags " + hex(flags) + ", " + nameOf(fx) + ")",
                      DD_OK);
    };
    m.Flip = [](IDirectDrawSurface *s, LPDIRECTDRAWSURFACE other, DWORD flags)
                 STDMETHODCALLTYPE -> HRESULT {
        return logged(self(s).name + ".Flip(" + nameOf(other) + "," + num(flags) + ")", DD_OK);
    };
    m.GetAttachedSurface = [](IDirectDrawSurface *, LPDDSCAPS caps, LPDIRECTDRAWSURFACE *back)
                               STDMETHODCALLTYPE -> HRESULT {
        if (fails("GetAttachedSurface") || caps->dwCaps != DDSCAPS_BACKBUFFER)
            return DDERR_NOTFOUND;
        *back = static_cast<FakeSurface *>(fake().back);
        return DD_OK;
    };
    m.GetPixelFormat = [](IDirectDrawSurface *, LPDDPIXELFORMAT f) STDMETHODCALLTYPE -> HRESULT {
        if (f->dwSize != sizeof *f) return DDERR_INVALIDPARAMS;
        f->dwFlags = fake().formatFlags;
        f->dwRGBBitCount = fake().formatBits;
        return DD_OK;
    };
    m.IsLost = [](IDirectDrawSurface *s) STDMETHODCALLTYPE -> HRESULT {
        return self(s).lost ? DDERR_SURFACELOST : DD_OK;
    };
    m.Lock = [](IDirectDrawSurface *s, LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event)
                 STDMETHODCALLTYPE -> HRESULT {
        FakeSurface &surface = self(s);
        if (fails("Lock") || rect || desc->dwSize != sizeof *desc || flags != DDLOCK_WAIT ||
            event || surface.locked)
            return DDERR_GENERIC;
        surface.locked = true;
        desc->lpSurface = surface.memory.data();
        desc->lPitch = surface.pitch;
        return DD_OK;
    };
    m.Restore = [](IDirectDrawSurface *s) STDMETHODCALLTYPE -> HRESULT {
        self(s).lost = false;
        return DD_OK;
    };
    m.SetClipper = [](IDirectDrawSurface *s, LPDIRECTDRAWCLIPPER c) STDMETHODCALLTYPE -> HRESULT {
        const char *which = c == fake().clipper ? "clipper" : "other";
        return logged(self(s).name + ".SetClipper(" + which + ")", DD_OK);
    };
    // Unlocks only with the memory the lock gave.
    m.Unlock = [](IDirectDrawSurface *s, LPVOID data) STDMETHODCALLTYPE -> HRESULT {
        if (data == self(s).memory.data()) self(s).locked = false;
        return DD_OK;
    };
    return m;
}();

IDirectDrawClipperVtbl clipperMethods = [] {
    IDirectDrawClipperVtbl m = {};
    m.SetHWnd = [](IDirectDrawClipper *, DWORD flags, HWND window) STDMETHODCALLTYPE -> HRESULT {
        return logged("clipper.SetHWnd(" + num(flags) + "," + nameOf(window) + ")", DD_OK);
    };
    return m;
}();

// A new object with its methods, owned by the fake.
template <typename T, typename Methods> T *made(Methods &methods) {
    auto object = std::make_shared<T>();
    object->lpVtbl = &methods;
    fake().objects.push_back(object);
    return object.get();
}

// A surface of pitch x height bytes.
FakeSurface *madeSurface(const char *name, LONG pitch, int height) {
    FakeSurface *s = made<FakeSurface>(surfaceMethods);
    static_cast<FakeSurfaceMemory &>(*s) = {name, pitch, std::vector<uint8_t>(pitch * height)};
    return s;
}

// The DirectDraw methods the display calls. A primary is made with its back buffer when it is
// a flip chain; anything else is an offscreen surface. Nothing is made for an outer object.
IDirectDrawVtbl directDrawMethods = [] {
    IDirectDrawVtbl m = {};
    m.Release = [](IDirectDraw *)
                    STDMETHODCALLTYPE -> ULONG { return logged("DirectDraw.Release", 0ul); };
    m.CreateClipper = [](IDirectDraw *, DWORD, LPDIRECTDRAWCLIPPER *clipper, IUnknown *outer)
                          STDMETHODCALLTYPE -> HRESULT {
        if (outer) return CLASS_E_NOAGGREGATION;
        fake().clipper = *clipper = made<IDirectDrawClipper>(clipperMethods);
        return DD_OK;
    };
    m.CreateSurface = [](IDirectDraw *, LPDDSURFACEDESC d, LPDIRECTDRAWSURFACE *surface,
                         IUnknown *outer) STDMETHODCALLTYPE -> HRESULT {
        logged("CreateSurface(flags " + hex(d->dwFlags) + ", caps " + hex(d->ddsCaps.dwCaps) +
               ", back buffers " + num(d->dwBackBufferCount) + ", " + num(d->dwWidth) + " x " +
               num(d->dwHeight) + ")");
        FakeWindows &f = fake();
        if (outer || d->dwSize != sizeof *d || fails("CreateSurface") ||
            ((d->ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) && !f.videoMemory))
            return DDERR_NODIRECTDRAWHW;
        const bool primary = d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE;
        FakeSurface *s = primary ? madeSurface("primary", 0, 0)
                                 : madeSurface("offscreen", f.pitch, int(d->dwHeight));
        (primary ? f.primary : f.offscreen) = s;
        if (d->ddsCaps.dwCaps & DDSCAPS_FLIP) f.back = madeSurface("back", f.pitch, 480);
        *surface = s;
        return DD_OK;
    };
    m.SetCooperativeLevel = [](IDirectDraw *, HWND window, DWORD flags)
                                STDMETHODCALLTYPE -> HRESULT {
        logged("SetCooperativeLevel(" + nameOf(window) + "," + num(flags) + ")");
        return fails("SetCooperativeLevel") ? DDERR_GENERIC : DD_OK;
    };
    // Takes the scripted depths only.
    m.SetDisplayMode = [](IDirectDraw *, DWORD, DWORD, DWORD bits) STDMETHODCALLTYPE -> HRESULT {
        return std::ranges::count(fake().modes, bits) > 0 ? DD_OK : DDERR_UNSUPPORTED;
    };
    return m;
}();

// DirectDrawCreate as ddraw.dll exports it.
HRESULT WINAPI directDrawCreate(GUID *guid, IDirectDraw **directDraw, IUnknown *outer) {
    if (guid || outer || fails("DirectDrawCreate")) return DDERR_GENERIC;
    *directDraw = made<IDirectDraw>(directDrawMethods);
    return DD_OK;
}

// ---------------------------------------------------------------- Win32

// The scripted folder or path, cut to the buffer, and its length: a length the buffer cannot hold
// says it was cut, as Windows' answer does.
DWORD copied(const std::string &text, LPSTR buffer, DWORD size) {
    std::snprintf(buffer, size, "%s", text.c_str());
    return DWORD(text.size());
}

}  // namespace

// The Win32 table: rectangles' arithmetic and the arrow cursor are Windows' own; the thread has no
// messages and no test reads the dialog's boxes (a null, as for DirectDraw, fails the test when
// called).
const Win32Api kFakeWin32Api = {
    .getModuleHandleA = [](LPCSTR name)
                            WINAPI -> HMODULE { return name ? nullptr : kFakeInstance; },
    .loadLibraryA = [](LPCSTR) WINAPI -> HMODULE {
        return fails("LoadLibraryA") ? nullptr : reinterpret_cast<HMODULE>(0x7000);
    },
    .getProcAddress = [](HMODULE, LPCSTR) WINAPI -> FARPROC {
        if (fails("GetProcAddress")) return nullptr;
        return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(directDrawCreate));
    },
    // Grows the rectangle as an overlapped window's frame and caption would.
    .adjustWindowRect = [](LPRECT r, DWORD style, BOOL menu) WINAPI -> BOOL {
        *r = {r->left - 8, r->top - 31, r->right + 8, r->bottom + 8};
        return logged("AdjustWindowRect(style " + hex(style) + ", menu " + num(menu) + ")", TRUE);
    },
    .loadCursorA = LoadCursorA,
    .registerClassA = [](const WNDCLASSA *c) WINAPI -> ATOM {
        fake().windowProc = c->lpfnWndProc;
        const bool arrow = c->hCursor == LoadCursorA(nullptr, IDC_ARROW);
        return logged("RegisterClassA(" + std::string(c->lpszClassName) + ", style " +
                          num(c->style) + ", cursor " + (arrow ? "arrow" : "other") + ")",
                      ATOM(1));
    },
    .createWindowExA = [](DWORD, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                          int width, int height, HWND, HMENU, HINSTANCE instance, LPVOID)
                           WINAPI -> HWND {
        logged("CreateWindowExA(" + std::string(className) + ",'" + title + "'," + hex(style) +
               "," + num(x) + "," + num(y) + "," + num(width) + "," + num(height) + "," +
               nameOf(instance) + ")");
        return fails("CreateWindowExA") ? nullptr : kFakeWindow;
    },
    .setForegroundWindow = [](HWND w) WINAPI -> BOOL {
        return logged("SetForegroundWindow(" + nameOf(w) + ")", TRUE);
    },
    .showCursor = [](BOOL show) WINAPI -> int { return logged("ShowCursor(" + num(show) + ")"); },
    .destroyWindow = [](HWND w) WINAPI -> BOOL {
        return logged("DestroyWindow(" + nameOf(w) + ")", TRUE);
    },
    .unregisterClassA = [](LPCSTR name, HINSTANCE instance) WINAPI -> BOOL {
        return logged("UnregisterClassA(" + std::string(name) + "," + nameOf(instance) + ")", TRUE);
    },
    // The client area, 800 x 600 at (30, 40) on the screen.
    .clientToScreen = [](HWND w, LPPOINT p) WINAPI -> BOOL {
        if (w != kFakeWindow) return FALSE;
        *p = {p->x + 30, p->y + 40};
        return TRUE;
    },
    .getClientRect = [](HWND w, LPRECT r) WINAPI -> BOOL {
        if (w != kFakeWindow) return FALSE;
        *r = {0, 0, 800, 600};
        return TRUE;
    },
    .offsetRect = OffsetRect,
    .setRect = SetRect,
    .defWindowProcA = [](HWND w, UINT message, WPARAM wParam, LPARAM) WINAPI -> LRESULT {
        return logged("DefWindowProcA(" + nameOf(w) + "," + hex(message) + "," + hex(wParam) + ")",
                      LRESULT(0x5EF));
    },
    .postQuitMessage = [](int code)
                           WINAPI -> void { logged("PostQuitMessage(" + num(code) + ")"); },
    .getForegroundWindow = []() WINAPI -> HWND { return fake().foreground; },
    .peekMessageA = [](LPMSG, HWND, UINT, UINT, UINT) WINAPI -> BOOL { return FALSE; },
    .translateMessage = nullptr,
    .dispatchMessageA = nullptr,
    .getAsyncKeyState = [](int key) WINAPI -> SHORT {
        std::deque<SHORT> &states = fake().escapeStates;
        if (key != VK_ESCAPE || states.empty()) return 0;
        const SHORT state = states.front();
        states.pop_front();
        return state;
    },
    .timeGetTime = []() WINAPI -> DWORD { return fake().now; },
    .timeBeginPeriod = [](UINT milliseconds) WINAPI -> MMRESULT {
        return logged("timeBeginPeriod(" + num(milliseconds) + ")",
                      fails("timeBeginPeriod") ? TIMERR_NOCANDO : TIMERR_NOERROR);
    },
    .timeEndPeriod = [](UINT milliseconds) WINAPI -> MMRESULT {
        return logged("timeEndPeriod(" + num(milliseconds) + ")", TIMERR_NOERROR);
    },
    // Sends the scripted messages to the procedure until it ends the dialog; -1 if it never
    // does.
    .dialogBoxParamA = [](HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure,
                          LPARAM parameter) WINAPI -> INT_PTR {
        logged("DialogBoxParamA(" + nameOf(instance) + "," +
               num(reinterpret_cast<uintptr_t>(name)) + "," + nameOf(owner) + "," + num(parameter) +
               ")");
        const HWND dialog = reinterpret_cast<HWND>(0xD1A);
        for (const auto &[message, wParam] : fake().dialog) {
            logged("procedure(" + hex(message) + "," + hex(wParam) +
                   ") = " + num(procedure(dialog, message, wParam, 0)));
            if (fake().dialogEnded) return *fake().dialogEnded;
        }
        return -1;
    },
    .checkDlgButton = [](HWND, int id, UINT state) WINAPI -> BOOL {
        return logged("CheckDlgButton(" + num(id) + "," + num(state) + ")", TRUE);
    },
    .isDlgButtonChecked = nullptr,
    .endDialog = [](HWND, INT_PTR result) WINAPI -> BOOL {
        fake().dialogEnded = result;
        return logged("EndDialog(" + num(result) + ")", TRUE);
    },
    .messageBoxA = [](HWND owner, LPCSTR text, LPCSTR caption, UINT type) WINAPI -> int {
        return logged("MessageBoxA(" + nameOf(owner) + ",'" + text + "','" + caption + "'," +
                          num(type) + ")",
                      IDOK);
    },
    .getCurrentDirectoryA = [](DWORD size, LPSTR folder) WINAPI -> DWORD {
        return copied(fake().workingFolder, folder, size);
    },
    .getModuleFileNameA = [](HMODULE module, LPSTR path, DWORD size) WINAPI -> DWORD {
        return module ? 0 : copied(fake().programPath, path, size);
    },
    // Time passes only here.
    .sleep = [](DWORD milliseconds) WINAPI -> void { fake().now += milliseconds; },
    // The current mode's refresh rate, asked for with a record of the right size.
    .enumDisplaySettingsA = [](LPCSTR device, DWORD mode, DEVMODEA *settings) WINAPI -> BOOL {
        logged("EnumDisplaySettingsA");
        if (device || mode != ENUM_CURRENT_SETTINGS || settings->dmSize != sizeof *settings)
            return FALSE;
        settings->dmDisplayFrequency = fake().refreshRate;
        return TRUE;
    },
};

// ---------------------------------------------------------------- the log and the script

int FakeWindows::count(const std::string &prefix) const {
    return int(
        std::ranges::count_if(calls, [&](const std::string &c) { return c.starts_with(prefix); }));
}
