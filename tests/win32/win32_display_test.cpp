// The presenter over the DirectDraw display, against recording fakes of Win32 and DirectDraw:
// open's calls and their arguments in both modes, the mode fallback, pitches and converters,
// activation, lost surfaces, the window procedure, close after any open, and the waits.
#include "platform/win32/win32_platform.h"
#include "tests/win32/fake_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;
// The surface description's size as the calls give it: 108 bytes in a 32-bit program.
const std::string kSize = "size " + std::to_string(sizeof(DDSURFACEDESC)) + ", ";
static_assert(sizeof(void *) != 4 || sizeof(DDSURFACEDESC) == 108);

// A frame of varied pixels.
std::vector<Pixel> testFrame() {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00102030u + 0x00010101u * (i % 101);
    return frame;
}

// A platform over a fresh scripted display, its procedures serving it.
struct Display : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    const std::vector<Pixel> frame = testFrame();
    void SetUp() override {
        fakeWindows() = &fake;
        win32PlatformInit(platform, fakeWin32Api(), fakeInstance());
        platform.presenter.device = win32PresenterDevice(platform);
        fake.calls.clear();
    }
    void TearDown() override {
        fakeWindows() = &fake;  // a test may have left another fake in place
        win32PlatformQuit(platform);
        fakeWindows() = nullptr;
    }
    // A fresh presenter over another scripted display.
    FramePresenter &over(FakeWindows &f) {
        fakeWindows() = &f;
        platform.display = {};
        platform.presenter = {};
        platform.presenter.device = win32PresenterDevice(platform);
        return platform.presenter;
    }
    int open(bool fullscreen) { return presenterOpen(platform.presenter, "", W, H, fullscreen); }
    void present() { presenterPresent(platform.presenter, frame.data()); }
    LRESULT message(UINT message, WPARAM wParam) {
        return fakeWindows()->windowProc(fakeWindow(), message, wParam, 0);
    }
    // The calls logged since mark.
    static std::vector<std::string> since(size_t mark) {
        const std::vector<std::string> &calls = fakeWindows()->calls;
        return {calls.begin() + ptrdiff_t(mark), calls.end()};
    }
};

// The first wait for a display frame: the refresh rate is asked for, then 1/60 s slept.
const std::vector<std::string> kFirstWait = {"EnumDisplaySettingsA(null,current, size " +
                                                 std::to_string(sizeof(DEVMODEA)) + ")",
                                             "Sleep(17)"};

// A windowed frame's blit onto the client area in screen coordinates, from the frame's rectangle.
const std::vector<std::string> kBlit = {
    "ClientToScreen(window)", "GetClientRect(window)", "OffsetRect(30,40)", "SetRect(0,0,640,480)",
    "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)"};

// The lists one after another.
std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> lists) {
    std::vector<std::string> all;
    for (const auto &list : lists) all.insert(all.end(), list.begin(), list.end());
    return all;
}

// The start of every open: ddraw.dll and its DirectDraw; the window class.
const std::vector<std::string> kLoad = {"GetModuleHandleA(null)", "LoadLibraryA(ddraw.dll)",
                                        "GetProcAddress(DirectDrawCreate)",
                                        "DirectDrawCreate(null,null)"};
const std::string kCursor = "LoadCursorA(null,32512)";
const std::string kRegister = "RegisterClassA(glaxen, style 3, extra 0/0, instance null, icon "
                              "null, cursor arrow, brush null, menu null)";
const std::string kBackLock = "back.Lock(null, " + kSize + "flags 1, null)";

// What every close ends with.
const std::vector<std::string> kClassAndCursor = {"UnregisterClassA(glaxen,instance)",
                                                  "ShowCursor(1)"};

// Counts converter calls, converting with the converter open chose.
PixelConverter chosen = nullptr;
int converterCalls = 0;
void counting(void *destination, const Pixel *source, int count) {
    ++converterCalls;
    chosen(destination, source, count);
}

}  // namespace

// ---------------------------------------------------------------- open

// Open's calls and their arguments: full screen takes a mode, hides the cursor, makes the flip
// chain and clears both its buffers; a window is sized for its client area and gets an offscreen
// surface and a clipper. Both end by asking for the pixel format.
TEST_F(Display, OpenMakesItsCallsInOrder) {
    const std::vector<std::string> clearingPass = {
        "primary.Restore", kBackLock, "back.Unlock(the locked memory)", "primary.Flip(null,1)"};
    const struct {
        const char *name;
        bool fullscreen;
        std::vector<std::string> want;
    } cases[] = {
        {"full screen", true,
         joined({kLoad,
                 {kCursor, kRegister,
                  "CreateWindowExA(0,glaxen,'',0x90000000,0,0,640,480,null,null,instance,null)",
                  "SetForegroundWindow(window)", "SetDisplayMode(640,480,32)",
                  "SetCooperativeLevel(window,17)", "ShowCursor(0)",
                  "CreateSurface(" + kSize + "flags 0x21, caps 0x4218, back buffers 1, null)",
                  "primary.GetAttachedSurface(caps 0x4)"},
                 clearingPass,
                 clearingPass})},
        {"windowed", false,
         joined({kLoad,
                 {"AdjustWindowRect(0,0,640,480, style 0xcf0000, menu 0)", kCursor, kRegister,
                  "CreateWindowExA(0,glaxen,'',0x10cf0000,0,0,656,519,null,null,instance,null)",
                  "SetForegroundWindow(window)", "SetCooperativeLevel(window,8)",
                  "CreateSurface(" + kSize + "flags 0x1, caps 0x200, null)",
                  "CreateSurface(" + kSize + "flags 0x7, caps 0x40, 640x480, null)",
                  "CreateClipper(0,null)", "clipper.SetHWnd(0,window)",
                  "primary.SetClipper(clipper)"}})},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        over(f);
        ASSERT_EQ(open(c.fullscreen), 1) << c.name;
        EXPECT_EQ(f.calls, joined({c.want, {"primary.GetPixelFormat(size 32)"}})) << c.name;
        EXPECT_EQ(f.windowProc, win32WindowProc) << c.name;
    }
}

// The first depth of 32, 24 and 16 that the display takes is the mode; the format's bit count
// picks the converter, masks aside. A present converts once when the rows lie back to back,
// else once a row, each row at its pitch and the gap after it untouched.
TEST_F(Display, ModesPitchesAndConverters) {
    const struct {
        const char *name;
        std::vector<DWORD> modes;  // the depths the display takes, a tail of 32, 24, 16
        LONG pitch;
        PixelConverter want;
        int wantCalls;
        DWORD red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    } cases[] = {
        {"32 bits, rows back to back", {32, 24, 16}, 2560, copyPixels32, 1},
        {"32 bits, rows apart", {32, 24, 16}, 4096, copyPixels32, 480},
        {"32 refused, rows back to back", {24, 16}, 1920, convertPixels24, 1},
        {"32 refused, rows apart", {24, 16}, 2048, convertPixels24, 480},
        {"only 16", {16}, 1280, convertPixels16, 1, 0xF800, 0x7E0, 0x1F},
        {"16 with 5-5-5 masks", {16}, 1280, convertPixels16, 1, 0x7C00, 0x3E0, 0x1F},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.modes = c.modes;
        f.formatBits = c.modes.front();
        f.redMask = c.red, f.greenMask = c.green, f.blueMask = c.blue;
        f.pitch = c.pitch;
        FramePresenter &p = over(f);
        ASSERT_EQ(open(true), 1) << c.name;
        EXPECT_EQ(p.modeBits, int(c.modes.front())) << c.name;
        EXPECT_EQ(f.count("SetDisplayMode"), 4 - int(c.modes.size())) << c.name;
        ASSERT_EQ(p.converter, c.want) << c.name;
        chosen = p.converter;
        p.converter = counting;
        converterCalls = 0;
        present();
        EXPECT_EQ(converterCalls, c.wantCalls) << c.name;
        const int rowBytes = W * int(c.modes.front()) / 8;
        std::vector<uint8_t> row(rowBytes);
        for (int y = 0; y < H; y += 67) {
            c.want(row.data(), &frame[size_t(y) * W], W);
            const uint8_t *at = &f.back->memory[size_t(y) * c.pitch];
            ASSERT_TRUE(std::equal(at, at + rowBytes, row.data())) << c.name << ", row " << y;
            ASSERT_TRUE(
                std::all_of(at + rowBytes, at + c.pitch, [](uint8_t b) { return b == 0xEE; }))
                << c.name << ": the gap after row " << y << " written";
        }
    }
}

// Without video memory (Wine without 3D) the chain is made in system memory.
TEST_F(Display, ChainInSystemMemoryWhenThereIsNoVideoMemory) {
    fake.videoMemory = false;
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(fake.count("CreateSurface(" + kSize + "flags 0x21, caps 0x4218"), 1);
    EXPECT_EQ(fake.count("CreateSurface(" + kSize + "flags 0x21, caps 0x218"), 1);
}

// ---------------------------------------------------------------- failures and close

// Each failing step makes open return 0 there, and so does a palette display; close releases
// what exists, destroys a window that exists, unregisters the class and shows the cursor,
// leaving the counter at 0 where open had hidden it. After a show it releases everything.
TEST_F(Display, OpenFailuresAndClose) {
    const std::vector<std::string> dd = {"DirectDraw.Release"},
                                   ddWin = {"DirectDraw.Release", "DestroyWindow(window)"},
                                   all = {"primary.Release", "DirectDraw.Release",
                                          "DestroyWindow(window)"};
    const struct {
        const char *name, *failing;
        bool fullscreen;
        int wantOpen;
        std::vector<std::string> wantReleased;
        int wantCursor;
        DWORD formatFlags = DDPF_RGB;
    } cases[] = {
        {"no ddraw.dll", "LoadLibraryA", true, 0, {}, 1},
        {"no DirectDrawCreate", "GetProcAddress", true, 0, {}, 1},
        {"DirectDrawCreate fails", "DirectDrawCreate", true, 0, {}, 1},
        {"no window", "CreateWindowExA", true, 0, dd, 1},
        {"no mode", "SetDisplayMode", true, 0, ddWin, 1},
        {"no exclusive level", "SetCooperativeLevel", true, 0, ddWin, 1},
        {"no primary", "CreateSurface", true, 0, ddWin, 0},
        {"no back buffer", "GetAttachedSurface", true, 0, all, 0},
        {"palette display", "", true, 0, all, 0, DDPF_PALETTEINDEXED8},
        {"failed format query", "GetPixelFormat", false, 0, all, 1},
        {"shown full screen", "", true, 1, all, 0},
        {"shown, every lock failing", "Lock", true, 1, all, 0},
        {"shown in a window", "", false, 1, all, 1},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.failing = {c.failing};
        f.formatFlags = c.formatFlags;
        FramePresenter &p = over(f);
        EXPECT_EQ(open(c.fullscreen), c.wantOpen) << c.name;
        present();
        const size_t mark = f.calls.size();
        presenterClose(p);
        EXPECT_EQ(since(mark), joined({c.wantReleased, kClassAndCursor})) << c.name;
        EXPECT_EQ(f.cursorCounter, c.wantCursor) << c.name << ": the cursor counter after close";
    }
}

// ---------------------------------------------------------------- present and the window

// Windowed: lock, convert, unlock, then the blit onto the client area in screen coordinates,
// scaled from the frame's rectangle.
TEST_F(Display, WindowedPresentBlitsOntoTheClientArea) {
    ASSERT_EQ(open(false), 1);
    const size_t mark = fake.calls.size();
    present();
    EXPECT_EQ(since(mark), joined({{"primary.IsLost", "offscreen.IsLost",
                                    "offscreen.Lock(null, " + kSize + "flags 1, null)",
                                    "offscreen.Unlock(the locked memory)"},
                                   kBlit}));
}

// Full screen and deactivated: present only waits a display frame; reactivated, it restores the
// lost primary and flips the frame.
TEST_F(Display, ActivationDecidesFullScreenPresenting) {
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(message(WM_ACTIVATEAPP, 0), 0x5EF);
    fake.primary->lost = true;
    size_t mark = fake.calls.size();
    present();
    EXPECT_EQ(since(mark), kFirstWait) << "an inactive full-screen present touched the display";
    message(WM_ACTIVATEAPP, 1);
    mark = fake.calls.size();
    present();
    const std::vector<std::string> want = {"primary.IsLost", "primary.Restore", kBackLock,
                                           "back.Unlock(the locked memory)",
                                           "primary.Flip(null,1)"};
    EXPECT_EQ(since(mark), want);
}

// The window procedure's table; a windowed paint shows the frame again.
TEST_F(Display, WindowProcedure) {
    ASSERT_EQ(open(false), 1);
    const struct {
        const char *name;
        UINT message;
        WPARAM wParam;
        LRESULT want;
        std::vector<std::string> wantCalls;
    } cases[] = {
        {"screen saver", WM_SYSCOMMAND, SC_SCREENSAVE, 0, {}},
        {"monitor power", WM_SYSCOMMAND, SC_MONITORPOWER, 0, {}},
        {"minimize", WM_SYSCOMMAND, SC_MINIMIZE, 0x5EF, {"DefWindowProcA(window,0x112,0xf020)"}},
        {"low bit set",
         WM_SYSCOMMAND,
         SC_SCREENSAVE | 1,
         0x5EF,
         {"DefWindowProcA(window,0x112,0xf141)"}},
        {"close", WM_CLOSE, 0, 0, {"PostQuitMessage(0)"}},
        {"deactivation", WM_ACTIVATEAPP, 0, 0x5EF, {"DefWindowProcA(window,0x1c,0x0)"}},
        {"paint, windowed", WM_PAINT, 0, 0x5EF,
         joined({kBlit, {"DefWindowProcA(window,0xf,0x0)"}})},
        {"any other", WM_SIZE, 0, 0x5EF, {"DefWindowProcA(window,0x5,0x0)"}},
    };
    for (const auto &c : cases) {
        const size_t mark = fake.calls.size();
        EXPECT_EQ(message(c.message, c.wParam), c.want) << c.name;
        EXPECT_EQ(since(mark), c.wantCalls) << c.name;
    }
}

// While nothing is shown, presents keep the pace of the display's refresh rate: the time a
// frame took is taken off its wait, and the rate is asked for once.
TEST_F(Display, WaitsKeepTheDisplaysPace) {
    const struct {
        const char *name;
        DWORD refreshRate;
        bool queryFails;
        DWORD wantFrame;  // one display frame in milliseconds
    } cases[] = {
        {"60 Hz", 60, false, 17},
        {"75 Hz", 75, false, 13},
        {"the hardware's default", 1, false, 17},
        {"no rate", 0, false, 17},
        {"no answer", 85, true, 17},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.refreshRate = c.refreshRate;
        f.failing = {"LoadLibraryA"};  // no display: nothing is ever shown
        if (c.queryFails) f.failing.push_back("EnumDisplaySettingsA");
        FramePresenter &p = over(f);
        ASSERT_EQ(open(true), 0) << c.name;
        std::vector<DWORD> slept;  // three frames, the second taking 5 ms
        for (int i = 0; i < 3; ++i) {
            const DWORD before = f.now;
            present();
            slept.push_back(f.now - before);
            if (i == 0) f.now += 5;
        }
        EXPECT_EQ(slept, (std::vector<DWORD>{c.wantFrame, c.wantFrame - 5, c.wantFrame})) << c.name;
        EXPECT_EQ(f.count("EnumDisplaySettingsA"), 1) << c.name;
        presenterClose(p);
    }
}
