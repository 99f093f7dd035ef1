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

// A platform over a fresh scripted display, its procedures serving it.
struct Display : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    const std::vector<Pixel> frame = testFrame();
    void SetUp() override {
        fakeWindows = &fake;
        win32PlatformInit(platform, fakeWin32Api(), kFakeInstance);
        platform.presenter.device = win32PresenterDevice(platform);
        fake.calls.clear();
    }
    void TearDown() override {
        fakeWindows = &fake;  // a test may have left another fake in place
        win32PlatformQuit(platform);
        fakeWindows = nullptr;
    }
    // A fresh presenter over another scripted display.
    FramePresenter &over(FakeWindows &f) {
        fakeWindows = &f;
        platform.display = {};
        platform.presenter = {};
        platform.presenter.device = win32PresenterDevice(platform);
        return platform.presenter;
    }
    int open(bool fullscreen) { return presenterOpen(platform.presenter, "", W, H, fullscreen); }
    void present() { presenterPresent(platform.presenter, frame.data()); }
    LRESULT message(UINT message, WPARAM wParam) {
        return fakeWindows->windowProc(kFakeWindow, message, wParam, 0);
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
        FakeWindows f;
        f.videoMemory = c.videoMemory;
        over(f);
        ASSERT_EQ(open(c.fullscreen), 1) << c.name;
        std::vector<std::string> want = c.want;
        want.push_back("RegisterClassA(glaxen, style 3, cursor arrow)");
        want.push_back("SetForegroundWindow(window)");
        for (const std::string &call : want) EXPECT_EQ(f.count(call), 1) << c.name << ": " << call;
        EXPECT_EQ(f.windowProc, win32WindowProc) << c.name;
    }
}

// The first depth of 32, 24 and 16 that the display takes is the mode; the format's bit count
// picks the converter, masks aside. Each row of a present lands at its pitch, the gap after it
// untouched.
TEST_F(Display, ModesPitchesAndConverters) {
    const struct {
        const char *name;
        std::vector<DWORD> modes;  // the depths the display takes, a tail of 32, 24, 16
        LONG pitch;
        PixelConverter want;
        DWORD red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    } cases[] = {
        {"32 bits, rows apart", {32, 24, 16}, 4096, copyPixels32},
        {"32 refused, rows back to back", {24, 16}, 1920, convertPixels24},
        {"only 16, with 5-5-5 masks", {16}, 1536, convertPixels16, 0x7C00, 0x3E0, 0x1F},
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
        ASSERT_EQ(p.converter, c.want) << c.name;
        present();
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
        {"failed format query", "GetPixelFormat", false, 0, all},
        {"shown full screen", "", true, 1, all},
        {"shown, every lock failing", "Lock", true, 1, all},
        {"shown in a window", "", false, 1, all},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.failing = {c.failing};
        f.formatFlags = c.formatFlags;
        FramePresenter &p = over(f);
        EXPECT_EQ(open(c.fullscreen), c.wantOpen) << c.name;
        present();
        f.calls.clear();
        presenterClose(p);
        std::vector<std::string> want = c.wantReleased;
        want.insert(want.end(), {"UnregisterClassA(glaxen,instance)", "ShowCursor(1)"});
        EXPECT_EQ(f.calls, want) << c.name;
    }
}

// ---------------------------------------------------------------- present and the window

// Full screen and deactivated, a present only waits; reactivated, it restores the lost primary
// and flips the frame.
TEST_F(Display, ActivationDecidesFullScreenPresenting) {
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(message(WM_ACTIVATEAPP, 0), 0x5EF);
    fake.primary->lost = true;
    const int flips = fake.count("primary.Flip(null,1)");
    present();
    EXPECT_EQ(fake.count("primary.Flip"), flips) << "an inactive full-screen present flipped";
    EXPECT_TRUE(fake.primary->lost) << "an inactive full-screen present restored";
    EXPECT_EQ(fake.now, 17u) << "an inactive full-screen present did not wait a display frame";
    message(WM_ACTIVATEAPP, 1);
    present();
    EXPECT_FALSE(fake.primary->lost);
    EXPECT_EQ(fake.count("primary.Flip(null,1)"), flips + 1);
}

// A windowed present writes the offscreen surface and blits it; the window procedure's table,
// where a windowed paint shows the frame again.
TEST_F(Display, WindowedPresentAndTheWindowProcedure) {
    ASSERT_EQ(open(false), 1);
    present();
    EXPECT_EQ(fake.calls.back(), kBlit);
    std::vector<uint8_t> first(4 * W);
    copyPixels32(first.data(), frame.data(), W);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), fake.offscreen->memory.begin()));
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
        {"any other", WM_SIZE, 0, 0x5EF, {"DefWindowProcA(window,0x5,0x0)"}},
    };
    for (const auto &c : cases) {
        fake.calls.clear();
        EXPECT_EQ(message(c.message, c.wParam), c.want) << c.name;
        EXPECT_EQ(fake.calls, c.wantCalls) << c.name;
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
        present();
        EXPECT_EQ(f.now, c.wantFrame) << c.name;
        f.now += 5;  // the next frame takes 5 ms
        present();
        EXPECT_EQ(f.now, 2 * c.wantFrame) << c.name;
        EXPECT_EQ(f.count("EnumDisplaySettingsA"), 1) << c.name;
        presenterClose(p);
    }
}
