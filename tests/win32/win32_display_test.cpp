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

std::vector<std::string> plus(std::vector<std::string> head, const std::vector<std::string> &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
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

// Counts converter calls, converting as the 24-bit converter does.
int converterCalls = 0;
void counting24(void *destination, const Pixel *source, int count) {
    ++converterCalls;
    convertPixels24(destination, source, count);
}

}  // namespace

// ---------------------------------------------------------------- open

TEST_F(Display, FullScreenOpenMakesItsCallsInOrder) {
    ASSERT_EQ(open(true), 1);
    const std::vector<std::string> clearingPass = {
        "primary.Restore", kBackLock, "back.Unlock(the locked memory)", "primary.Flip(null,1)"};
    std::vector<std::string> want =
        plus(kLoad, {kCursor, kRegister,
                     "CreateWindowExA(0,glaxen,'',0x90000000,0,0,640,480,null,null,instance,null)",
                     "SetForegroundWindow(window)", "SetDisplayMode(640,480,32)",
                     "SetCooperativeLevel(window,17)", "ShowCursor(0)",
                     "CreateSurface(" + kSize + "flags 0x21, caps 0x4218, back buffers 1, null)",
                     "primary.GetAttachedSurface(caps 0x4)"});
    want = plus(plus(plus(want, clearingPass), clearingPass), {"primary.GetPixelFormat(size 32)"});
    EXPECT_EQ(fake.calls, want);
    EXPECT_EQ(platform.presenter.converter, copyPixels32);
    EXPECT_TRUE(platform.presenter.active);
    EXPECT_EQ(fake.windowProc, win32WindowProc);
}

TEST_F(Display, WindowedOpenMakesItsCallsInOrder) {
    ASSERT_EQ(open(false), 1);
    const std::vector<std::string> want =
        plus(kLoad, {"AdjustWindowRect(0,0,640,480, style 0xcf0000, menu 0)", kCursor, kRegister,
                     "CreateWindowExA(0,glaxen,'',0x10cf0000,0,0,656,519,null,null,instance,null)",
                     "SetForegroundWindow(window)", "SetCooperativeLevel(window,8)",
                     "CreateSurface(" + kSize + "flags 0x1, caps 0x200, null)",
                     "CreateSurface(" + kSize + "flags 0x7, caps 0x40, 640x480, null)",
                     "CreateClipper(0,null)", "clipper.SetHWnd(0,window)",
                     "primary.SetClipper(clipper)", "primary.GetPixelFormat(size 32)"});
    EXPECT_EQ(fake.calls, want);
}

// The first depth of 32, 24 and 16 that the display takes is the mode; the format's bit count
// picks the converter, masks aside.
TEST_F(Display, ModeFallbackAndConverters) {
    const struct {
        const char *name;
        std::vector<DWORD> modes;
        DWORD formatBits, red, green, blue;
        int wantMode;
        PixelConverter want;
    } cases[] = {
        {"32 bits", {32, 24, 16}, 32, 0xFF0000, 0xFF00, 0xFF, 32, copyPixels32},
        {"32 refused", {24, 16}, 24, 0xFF0000, 0xFF00, 0xFF, 24, convertPixels24},
        {"only 16", {16}, 16, 0xF800, 0x7E0, 0x1F, 16, convertPixels16},
        {"16 with 5-5-5 masks", {16}, 16, 0x7C00, 0x3E0, 0x1F, 16, convertPixels16},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.modes = c.modes;
        f.formatBits = c.formatBits;
        f.redMask = c.red, f.greenMask = c.green, f.blueMask = c.blue;
        FramePresenter &p = over(f);
        ASSERT_EQ(open(true), 1) << c.name;
        EXPECT_EQ(p.modeBits, c.wantMode) << c.name;
        EXPECT_EQ(f.count("SetDisplayMode"), 4 - int(c.modes.size())) << c.name;
        EXPECT_EQ(p.converter, c.want) << c.name;
    }
}

// 24 bits: one converter call for rows back to back (pitch 1920), one a row otherwise; 32 bits
// at pitch 2560 and 4096 the same; each row lands at its pitch, the gap untouched.
TEST_F(Display, PitchDecidesTheConverterCalls) {
    const struct {
        DWORD bits;
        LONG pitch;
        int wantCalls;
    } cases[] = {{24, 1920, 1}, {24, 2048, 480}, {32, 2560, 1}, {32, 4096, 480}};
    for (const auto &c : cases) {
        FakeWindows f;
        f.modes = {c.bits};
        f.formatBits = c.bits;
        f.pitch = c.pitch;
        FramePresenter &p = over(f);
        ASSERT_EQ(open(true), 1);
        const PixelConverter chosen = p.converter;
        if (c.bits == 24) p.converter = counting24;
        converterCalls = 0;
        present();
        if (c.bits == 24) {
            EXPECT_EQ(converterCalls, c.wantCalls) << c.bits << " bits, pitch " << c.pitch;
        }
        std::vector<uint8_t> row(W * 4);
        for (int y = 0; y < H; y += 67) {
            chosen(row.data(), &frame[size_t(y) * W], W);
            const uint8_t *at = &f.back->memory[size_t(y) * c.pitch];
            ASSERT_TRUE(std::equal(at, at + W * c.bits / 8, row.data()))
                << c.bits << " bits, pitch " << c.pitch << ", row " << y;
            ASSERT_TRUE(
                std::all_of(at + W * c.bits / 8, at + c.pitch, [](uint8_t b) { return b == 0xEE; }))
                << "the gap after row " << y << " was written";
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

// Each failing step makes open return 0 there; present then only waits a display frame; close
// releases what exists, destroys a window that exists, unregisters the class and shows the
// cursor, leaving the counter at 0 where open had hidden it.
TEST_F(Display, FailedOpenThenPresentAndClose) {
    const std::vector<std::string> dd = {"DirectDraw.Release"},
                                   ddWin = {"DirectDraw.Release", "DestroyWindow(window)"},
                                   all = {"primary.Release", "DirectDraw.Release",
                                          "DestroyWindow(window)"};
    const struct {
        const char *name, *failing;
        bool fullscreen;
        std::vector<std::string> wantReleased;
        int wantCursor;
        DWORD formatFlags = DDPF_RGB;
    } cases[] = {
        {"no ddraw.dll", "LoadLibraryA", true, {}, 1},
        {"no DirectDrawCreate", "GetProcAddress", true, {}, 1},
        {"DirectDrawCreate fails", "DirectDrawCreate", true, {}, 1},
        {"no window", "CreateWindowExA", true, dd, 1},
        {"no mode", "SetDisplayMode", true, ddWin, 1},
        {"no exclusive level", "SetCooperativeLevel", true, ddWin, 1},
        {"no primary", "CreateSurface", true, ddWin, 0},
        {"no back buffer", "GetAttachedSurface", true, all, 0},
        {"palette display", "", true, all, 0, DDPF_PALETTEINDEXED8},
        {"failed format query", "GetPixelFormat", false, all, 1},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.failing = {c.failing};
        f.formatFlags = c.formatFlags;
        FramePresenter &p = over(f);
        EXPECT_EQ(open(c.fullscreen), 0) << c.name;
        size_t mark = f.calls.size();
        present();
        EXPECT_EQ(since(mark), kFirstWait) << c.name << ": present after a failed open";
        mark = f.calls.size();
        presenterClose(p);
        EXPECT_EQ(since(mark), plus(c.wantReleased, kClassAndCursor)) << c.name;
        EXPECT_EQ(f.cursorCounter, c.wantCursor) << c.name << ": the cursor counter after close";
    }
}

// Full screen hides the cursor once and close shows it once; windowed close raises the
// counter by one, as after a failed load of ddraw.dll.
TEST_F(Display, CloseAfterAShow) {
    for (const bool fullscreen : {true, false}) {
        FakeWindows f;
        FramePresenter &p = over(f);
        ASSERT_EQ(open(fullscreen), 1);
        present();
        const size_t mark = f.calls.size();
        presenterClose(p);
        const char *name = fullscreen ? "full screen" : "windowed";
        EXPECT_EQ(since(mark),
                  plus({"primary.Release", "DirectDraw.Release", "DestroyWindow(window)"},
                       kClassAndCursor))
            << name;
        EXPECT_EQ(f.cursorCounter, fullscreen ? 0 : 1) << name;
    }
}

// A failed lock writes nothing and unlocks nothing, in the clearing passes and in present.
TEST_F(Display, FailedLockWritesNothing) {
    fake.failing = {"Lock"};
    ASSERT_EQ(open(true), 1);
    present();
    EXPECT_EQ(fake.count("back.Unlock"), 0);
    EXPECT_EQ(fake.count("back.Lock"), 3);
    EXPECT_EQ(fake.count("Sleep("), 1) << "a frame that could not be shown waits for the display";
    EXPECT_TRUE(std::all_of(fake.back->memory.begin(), fake.back->memory.end(),
                            [](uint8_t b) { return b == 0xEE; }));
}

// ---------------------------------------------------------------- present and the window

// Windowed: lock, convert, unlock, then the blit onto the client area in screen coordinates,
// scaled from the frame's rectangle.
TEST_F(Display, WindowedPresentBlitsOntoTheClientArea) {
    ASSERT_EQ(open(false), 1);
    const size_t mark = fake.calls.size();
    present();
    const std::vector<std::string> want = plus({"primary.IsLost", "offscreen.IsLost",
                                                "offscreen.Lock(null, " + kSize + "flags 1, null)",
                                                "offscreen.Unlock(the locked memory)"},
                                               kBlit);
    EXPECT_EQ(since(mark), want);
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
        {"whole wParam",
         WM_SYSCOMMAND,
         SC_SCREENSAVE | 1,
         0x5EF,
         {"DefWindowProcA(window,0x112,0xf141)"}},
        {"close", WM_CLOSE, 0, 0, {"PostQuitMessage(0)"}},
        {"deactivation", WM_ACTIVATEAPP, 0, 0x5EF, {"DefWindowProcA(window,0x1c,0x0)"}},
        {"paint, windowed", WM_PAINT, 0, 0x5EF, plus(kBlit, {"DefWindowProcA(window,0xf,0x0)"})},
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
        std::vector<std::string> wantSleeps;  // three frames, the second taking 5 ms
    } cases[] = {
        {"60 Hz", 60, false, {"Sleep(17)", "Sleep(12)", "Sleep(17)"}},
        {"75 Hz", 75, false, {"Sleep(13)", "Sleep(8)", "Sleep(13)"}},
        {"the hardware's default", 1, false, {"Sleep(17)", "Sleep(12)", "Sleep(17)"}},
        {"no rate", 0, false, {"Sleep(17)", "Sleep(12)", "Sleep(17)"}},
        {"no answer", 85, true, {"Sleep(17)", "Sleep(12)", "Sleep(17)"}},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.refreshRate = c.refreshRate;
        f.failing = {"LoadLibraryA"};  // no display: nothing is ever shown
        if (c.queryFails) f.failing.push_back("EnumDisplaySettingsA");
        FramePresenter &p = over(f);
        ASSERT_EQ(open(true), 0) << c.name;
        std::vector<std::string> sleeps;
        for (int i = 0; i < 3; ++i) {
            present();
            sleeps.push_back(f.calls.back());
            if (i == 0) f.now += 5;
        }
        EXPECT_EQ(sleeps, c.wantSleeps) << c.name;
        EXPECT_EQ(f.count("EnumDisplaySettingsA"), 1) << c.name;
        presenterClose(p);
    }
}
