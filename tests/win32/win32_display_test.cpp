// The presenter over the DirectDraw display, against recording fakes of Win32 and DirectDraw:
// the objects open makes in both modes, the mode fallback, pitches and converters, activation,
// lost surfaces, the window procedure, close after any open, and the waits.
#include "platform/win32/win32_platform.h"
#include "tests/win32/fake_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

// A frame of varied pixels.
std::vector<Pixel> testFrame() {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00102030u + 0x00010101u * (i % 101);
    return frame;
}

// A platform over the test's scripted display, its procedures serving it. A test scripts the
// display by replacing the fake before each open.
struct Display : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    const std::vector<Pixel> frame = testFrame();
    void SetUp() override {
        fakeWindows = &fake;
        win32PlatformInit(platform, kFakeWin32Api, kFakeInstance);
        platform.presenter.device = win32PresenterDevice(platform);
    }
    void TearDown() override {
        win32PlatformQuit(platform);
        fakeWindows = nullptr;
    }
    // Opens a fresh presenter over the display as now scripted.
    int open(bool fullscreen) {
        platform.display = {};
        platform.presenter = {};
        platform.presenter.device = win32PresenterDevice(platform);
        return presenterOpen(platform.presenter, "", W, H, fullscreen);
    }
    void present() { presenterPresent(platform.presenter, frame.data()); }
    LRESULT message(UINT message, WPARAM wParam) {
        return fake.windowProc(kFakeWindow, message, wParam, 0);
    }
};

// A windowed frame's blit onto the client area in screen coordinates, from the frame's rectangle.
const std::string kBlit =
    "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)";

}  // namespace

// ---------------------------------------------------------------- open

// Both modes register the class with the arrow cursor and raise the window. Full screen is a
// popup of the frame's size taking the display exclusively, the cursor hidden, with a flip chain
// (in system memory when there is no video memory); a window is sized for its client area and
// gets an offscreen surface and a clipper bound to it and to the primary.
TEST_F(Display, OpenMakesEachModesObjects) {
    const std::string chain = "CreateSurface(flags 0x21, caps 0x4218, back buffers 1, 0 x 0)";
    const std::vector<std::string> fullscreen = {
        "CreateWindowExA(glaxen,'',0x90000000,0,0,640,480,instance)",
        "SetCooperativeLevel(window,17)", "ShowCursor(0)", chain};
    const std::vector<std::string> systemMemory = {
        chain, "CreateSurface(flags 0x21, caps 0x218, back buffers 1, 0 x 0)"};
    const std::vector<std::string> windowed = {
        "AdjustWindowRect(style 0xcf0000, menu 0)",
        "CreateWindowExA(glaxen,'',0x10cf0000,0,0,656,519,instance)",
        "SetCooperativeLevel(window,8)",
        "CreateSurface(flags 0x1, caps 0x200, back buffers 0, 0 x 0)",
        "CreateSurface(flags 0x7, caps 0x40, back buffers 0, 640 x 480)",
        "clipper.SetHWnd(0,window)",
        "primary.SetClipper(clipper)"};
    const struct {
        const char *name;
        bool fullscreen, videoMemory;
        const std::vector<std::string> &want;
    } cases[] = {{"full screen", true, true, fullscreen},
                 {"full screen, no video memory", true, false, systemMemory},
                 {"windowed", false, true, windowed}};
    for (const auto &c : cases) {
        fake = {.videoMemory = c.videoMemory};
        ASSERT_EQ(open(c.fullscreen), 1) << c.name;
        std::vector<std::string> want = c.want;
        want.insert(want.end(), {"RegisterClassA(glaxen, style 3, cursor arrow)",
                                 "SetForegroundWindow(window)"});
        for (const std::string &call : want)
            EXPECT_EQ(fake.count(call), 1) << c.name << ": " << call;
    }
}

// The first depth of 32, 24 and 16 that the display takes is the mode, and the format's bit
// count picks the converter. Each row of a present lands at the lock's pitch.
TEST_F(Display, ModesPitchesAndConverters) {
    const struct {
        std::vector<DWORD> modes;  // the depths the display takes, a tail of 32, 24, 16
        LONG pitch;
        PixelConverter want;
    } cases[] = {
        {{32, 24, 16}, 4096, copyPixels32},
        {{24, 16}, 1920, convertPixels24},
        {{16}, 1536, convertPixels16},
    };
    for (const auto &c : cases) {
        const DWORD bits = c.modes.front();
        fake = {.modes = c.modes, .formatBits = bits, .pitch = c.pitch};
        ASSERT_EQ(open(true), 1) << bits;
        EXPECT_EQ(platform.presenter.modeBits, int(bits));
        ASSERT_EQ(platform.presenter.converter, c.want) << bits;
        present();
        std::vector<uint8_t> row(W * bits / 8);
        for (int y = 0; y < H; y += 67) {
            c.want(row.data(), &frame[size_t(y) * W], W);
            const uint8_t *at = &fake.back->memory[size_t(y) * c.pitch];
            ASSERT_TRUE(std::equal(row.begin(), row.end(), at)) << bits << " bits, row " << y;
        }
    }
}

// ---------------------------------------------------------------- failures and close

// Each failing step makes open return 0 there, and so does a palette display; close releases
// what exists, destroys a window that exists, unregisters the class and shows the cursor. After
// a show it releases everything.
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
        DWORD formatFlags = DDPF_RGB;
    } cases[] = {
        {"no ddraw.dll", "LoadLibraryA", true, 0, {}},
        {"no DirectDrawCreate", "GetProcAddress", true, 0, {}},
        {"DirectDrawCreate fails", "DirectDrawCreate", true, 0, {}},
        {"no window", "CreateWindowExA", true, 0, dd},
        {"no exclusive level", "SetCooperativeLevel", true, 0, ddWin},
        {"no primary", "CreateSurface", true, 0, ddWin},
        {"no back buffer", "GetAttachedSurface", true, 0, all},
        {"palette display", "", true, 0, all, DDPF_PALETTEINDEXED8},
        {"shown full screen", "", true, 1, all},
        {"shown, every lock failing", "Lock", true, 1, all},
        {"shown in a window", "", false, 1, all},
    };
    for (const auto &c : cases) {
        fake = {.formatFlags = c.formatFlags, .failing = {c.failing}};
        EXPECT_EQ(open(c.fullscreen), c.wantOpen) << c.name;
        present();
        fake.calls.clear();
        presenterClose(platform.presenter);
        std::vector<std::string> want = c.wantReleased;
        want.insert(want.end(), {"UnregisterClassA(glaxen,instance)", "ShowCursor(1)"});
        EXPECT_EQ(fake.calls, want) << c.name;
    }
}

// ---------------------------------------------------------------- present and the window

// Full screen and deactivated, a present does not flip; reactivated, it restores the lost
// primary and flips the frame.
TEST_F(Display, ActivationDecidesFullScreenPresenting) {
    ASSERT_EQ(open(true), 1);
    message(WM_ACTIVATEAPP, 0);
    fake.primary->lost = true;
    fake.calls.clear();
    present();
    EXPECT_EQ(fake.count("primary.Flip"), 0) << "an inactive full-screen present flipped";
    message(WM_ACTIVATEAPP, 1);
    present();
    EXPECT_FALSE(fake.primary->lost);
    EXPECT_EQ(fake.count("primary.Flip(null,1)"), 1);
}

// A windowed present blits the offscreen surface; the window procedure's table, where a
// windowed paint shows the frame again.
TEST_F(Display, WindowedPresentAndTheWindowProcedure) {
    ASSERT_EQ(open(false), 1);
    present();
    EXPECT_EQ(fake.calls.back(), kBlit);
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
        {"close", WM_CLOSE, 0, 0, {"PostQuitMessage(0)"}},
        {"deactivation", WM_ACTIVATEAPP, 0, 0x5EF, {"DefWindowProcA(window,0x1c,0x0)"}},
        {"paint, windowed", WM_PAINT, 0, 0x5EF, {kBlit, "DefWindowProcA(window,0xf,0x0)"}},
    };
    for (const auto &c : cases) {
        fake.calls.clear();
        EXPECT_EQ(message(c.message, c.wParam), c.want) << c.name;
        EXPECT_EQ(fake.calls, c.wantCalls) << c.name;
    }
}

// While nothing is shown, presents keep the pace of the display's refresh rate (60 Hz for the
// hardware's default or none): the time a frame took is taken off its wait, and the rate is
// asked for once.
TEST_F(Display, WaitsKeepTheDisplaysPace) {
    const struct {
        DWORD refreshRate, wantFrame;  // one display frame in milliseconds
    } cases[] = {{60, 17}, {75, 13}, {1, 17}, {0, 17}};
    for (const auto &c : cases) {
        fake = {.refreshRate = c.refreshRate};
        platform.display = {};
        present();
        EXPECT_EQ(fake.now, c.wantFrame) << c.refreshRate << " Hz";
        fake.now += 5;  // the next frame takes 5 ms
        present();
        EXPECT_EQ(fake.now, 2 * c.wantFrame) << c.refreshRate << " Hz";
        EXPECT_EQ(fake.count("EnumDisplaySettingsA"), 1) << c.refreshRate << " Hz";
    }
}
