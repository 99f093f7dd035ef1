// The presenter over the DirectDraw display, against recording fakes of Win32 and DirectDraw:
// open's calls and their arguments in both modes, the mode fallback, pitches and converters,
// activation, lost surfaces, the window procedure, and close after any open.
#include "platform/win32/win32_platform.h"
#include "show/presenter_service.h"
#include "show/show_main.h"
#include "tests/fake_platform.h"
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

// A platform over a fresh scripted display, its procedures serving it.
struct Display : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
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
    int open(bool fullscreen) { return presenterOpen(platform.presenter, "", W, H, fullscreen); }
    void present(const std::vector<Pixel> &frame) {
        presenterPresent(platform.presenter, frame.data());
    }
    LRESULT message(UINT message, WPARAM wParam) {
        return fake.windowProc(fakeWindow(), message, wParam, 0);
    }
    // The calls logged since mark.
    std::vector<std::string> since(size_t mark) const {
        return {fake.calls.begin() + static_cast<ptrdiff_t>(mark), fake.calls.end()};
    }
};

std::vector<Pixel> testFrame() {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00102030u + 0x00010101u * (i % 101);
    return frame;
}

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
    const std::vector<std::string> want = {
        "GetModuleHandleA(null)",
        "LoadLibraryA(ddraw.dll)",
        "GetProcAddress(DirectDrawCreate)",
        "DirectDrawCreate(null,null)",
        "LoadCursorA(null,32512)",
        "RegisterClassA(glaxen, style 3, extra 0/0, instance null, icon null, cursor arrow, "
        "brush null, menu null)",
        "CreateWindowExA(0,glaxen,'',0x90000000,0,0,640,480,null,null,instance,null)",
        "SetForegroundWindow(window)",
        "SetDisplayMode(640,480,32)",
        "SetCooperativeLevel(window,17)",
        "ShowCursor(0)",
        "CreateSurface(" + kSize + "flags 0x21, caps 0x4218, back buffers 1, null)",
        "primary.GetAttachedSurface(caps 0x4)",
        "primary.Restore",
        "back.Lock(null, " + kSize + "flags 1, null)",
        "back.Unlock(the locked memory)",
        "primary.Flip(null,1)",
        "primary.Restore",
        "back.Lock(null, " + kSize + "flags 1, null)",
        "back.Unlock(the locked memory)",
        "primary.Flip(null,1)",
        "primary.GetPixelFormat(size 32)",
    };
    EXPECT_EQ(fake.calls, want);
    EXPECT_EQ(platform.presenter.converter, copyPixels32);
    EXPECT_TRUE(platform.presenter.active);
    EXPECT_EQ(fake.windowProc, win32WindowProc);
}

TEST_F(Display, WindowedOpenMakesItsCallsInOrder) {
    ASSERT_EQ(open(false), 1);
    const std::vector<std::string> want = {
        "GetModuleHandleA(null)",
        "LoadLibraryA(ddraw.dll)",
        "GetProcAddress(DirectDrawCreate)",
        "DirectDrawCreate(null,null)",
        "AdjustWindowRect(0,0,640,480, style 0xcf0000, menu 0)",
        "LoadCursorA(null,32512)",
        "RegisterClassA(glaxen, style 3, extra 0/0, instance null, icon null, cursor arrow, "
        "brush null, menu null)",
        "CreateWindowExA(0,glaxen,'',0x10cf0000,0,0,656,519,null,null,instance,null)",
        "SetForegroundWindow(window)",
        "SetCooperativeLevel(window,8)",
        "CreateSurface(" + kSize + "flags 0x1, caps 0x200, null)",
        "CreateSurface(" + kSize + "flags 0x7, caps 0x40, 640x480, null)",
        "CreateClipper(0,null)",
        "clipper.SetHWnd(0,window)",
        "primary.SetClipper(clipper)",
        "primary.GetPixelFormat(size 32)",
    };
    EXPECT_EQ(fake.calls, want);
}

// The first depth of 32, 24 and 16 that the display takes is the mode; the clearing passes
// zero width x its bytes of every row; the format's bit count picks the converter, masks aside.
TEST_F(Display, ModeFallbackClearsAndConverts) {
    const struct {
        const char *name;
        std::vector<DWORD> modes;
        DWORD formatBits, red, green, blue;
        LONG pitch;
        int wantMode;
        PixelConverter want;
    } cases[] = {
        {"32 bits", {32, 24, 16}, 32, 0xFF0000, 0xFF00, 0xFF, 2560, 32, copyPixels32},
        {"32 refused", {24, 16}, 24, 0xFF0000, 0xFF00, 0xFF, 2048, 24, convertPixels24},
        {"only 16", {16}, 16, 0xF800, 0x7E0, 0x1F, 1536, 16, convertPixels16},
        {"16 with 5-5-5 masks", {16}, 16, 0x7C00, 0x3E0, 0x1F, 1280, 16, convertPixels16},
    };
    for (const auto &c : cases) {
        FakeWindows f;
        f.modes = c.modes;
        f.formatBits = c.formatBits;
        f.redMask = c.red, f.greenMask = c.green, f.blueMask = c.blue;
        f.pitch = c.pitch;
        fakeWindows() = &f;
        FramePresenter p;
        p.device = win32PresenterDevice(platform);
        platform.display = {};
        ASSERT_EQ(presenterOpen(p, "", W, H, true), 1) << c.name;
        EXPECT_EQ(p.modeBits, c.wantMode) << c.name;
        EXPECT_EQ(f.count("SetDisplayMode"), 4 - int(c.modes.size())) << c.name;
        EXPECT_EQ(p.converter, c.want) << c.name;
        const size_t cleared = size_t(W) * c.wantMode / 8;
        for (int y = 0; y < H; ++y) {
            const uint8_t *row = &f.back->memory[size_t(y) * c.pitch];
            ASSERT_TRUE(std::all_of(row, row + cleared, [](uint8_t b) { return b == 0; }))
                << c.name << ": row " << y << " not cleared";
            ASSERT_TRUE(
                std::all_of(row + cleared, row + c.pitch, [](uint8_t b) { return b == 0xEE; }))
                << c.name << ": row " << y << " cleared past " << cleared << " bytes";
        }
    }
    fakeWindows() = &fake;
}

// 24 bits: one converter call for rows back to back (pitch 1920), one a row otherwise; 32 bits
// at pitch 2560 and 4096 the same; each row lands at its pitch, the gap untouched.
TEST_F(Display, PitchDecidesTheConverterCalls) {
    const std::vector<Pixel> frame = testFrame();
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
        fakeWindows() = &f;
        FramePresenter &p = platform.presenter;
        p = {};
        p.device = win32PresenterDevice(platform);
        ASSERT_EQ(presenterOpen(p, "", W, H, true), 1);
        const PixelConverter chosen = p.converter;
        if (c.bits == 24) p.converter = counting24;
        converterCalls = 0;
        presenterPresent(p, frame.data());
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
    fakeWindows() = &fake;
}

// Without video memory (Wine without 3D) the chain is made in system memory.
TEST_F(Display, ChainInSystemMemoryWhenThereIsNoVideoMemory) {
    fake.videoMemory = false;
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(fake.count("CreateSurface(" + kSize + "flags 0x21, caps 0x4218"), 1);
    EXPECT_EQ(fake.count("CreateSurface(" + kSize + "flags 0x21, caps 0x218"), 1);
}

// ---------------------------------------------------------------- failures and close

// Each failing step makes open return 0 there; present then touches nothing; close releases
// what exists, destroys a window that exists, unregisters the class and shows the cursor.
TEST_F(Display, FailedOpenThenPresentAndClose) {
    const std::vector<std::string> tail = {"UnregisterClassA(glaxen,instance)", "ShowCursor(1)"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const struct {
        const char *name;
        std::vector<std::string> failing;
        std::vector<DWORD> modes;
        DWORD formatFlags;
        bool fullscreen;
        std::vector<std::string> wantClose;
        int wantCursor;  // the cursor counter after close: 0 where open had hidden it
    } cases[] = {
        {"no ddraw.dll", {"LoadLibraryA"}, {32}, DDPF_RGB, true, tail, 1},
        {"no DirectDrawCreate", {"GetProcAddress"}, {32}, DDPF_RGB, true, tail, 1},
        {"DirectDrawCreate fails", {"DirectDrawCreate"}, {32}, DDPF_RGB, true, tail, 1},
        {"no window", {"CreateWindowExA"}, {32}, DDPF_RGB, true, with({"DirectDraw.Release"}), 1},
        {"no mode",
         {},
         {8},
         DDPF_RGB,
         true,
         with({"DirectDraw.Release", "DestroyWindow(window)"}),
         1},
        {"no exclusive level",
         {"SetCooperativeLevel"},
         {32},
         DDPF_RGB,
         true,
         with({"DirectDraw.Release", "DestroyWindow(window)"}),
         1},
        {"no primary",
         {"CreateSurface"},
         {32},
         DDPF_RGB,
         true,
         with({"DirectDraw.Release", "DestroyWindow(window)"}),
         0},
        {"no back buffer",
         {"GetAttachedSurface"},
         {32},
         DDPF_RGB,
         true,
         with({"primary.Release", "DirectDraw.Release", "DestroyWindow(window)"}),
         0},
        {"palette display",
         {},
         {32},
         DDPF_PALETTEINDEXED8,
         true,
         with({"primary.Release", "DirectDraw.Release", "DestroyWindow(window)"}),
         0},
        {"failed format query",
         {"GetPixelFormat"},
         {32},
         DDPF_RGB,
         false,
         with({"primary.Release", "DirectDraw.Release", "DestroyWindow(window)"}),
         1},
    };
    const std::vector<Pixel> frame = testFrame();
    for (const auto &c : cases) {
        FakeWindows f;
        f.failing = c.failing;
        f.modes = c.modes;
        f.formatFlags = c.formatFlags;
        fakeWindows() = &f;
        FramePresenter &p = platform.presenter;
        p = {};
        p.device = win32PresenterDevice(platform);
        platform.display = {};
        EXPECT_EQ(presenterOpen(p, "", W, H, c.fullscreen), 0) << c.name;
        const size_t mark = f.calls.size();
        presenterPresent(p, frame.data());
        EXPECT_EQ(f.calls.size(), mark) << c.name << ": present after a failed open";
        presenterClose(p);
        const std::vector<std::string> closing(f.calls.begin() + ptrdiff_t(mark), f.calls.end());
        EXPECT_EQ(closing, c.wantClose) << c.name;
        EXPECT_EQ(f.cursorCounter, c.wantCursor) << c.name << ": the cursor counter after close";
    }
    fakeWindows() = &fake;
}

// Full screen hides the cursor once and close shows it once; windowed close raises the
// counter by one, as after a failed load of ddraw.dll.
TEST_F(Display, CloseAfterAShow) {
    for (const bool fullscreen : {true, false}) {
        FakeWindows f;
        fakeWindows() = &f;
        FramePresenter &p = platform.presenter;
        p = {};
        p.device = win32PresenterDevice(platform);
        ASSERT_EQ(presenterOpen(p, "", W, H, fullscreen), 1);
        presenterPresent(p, testFrame().data());
        const size_t mark = f.calls.size();
        presenterClose(p);
        const std::vector<std::string> want = {
            "primary.Release", "DirectDraw.Release", "DestroyWindow(window)",
            "UnregisterClassA(glaxen,instance)", "ShowCursor(1)"};
        EXPECT_EQ(std::vector<std::string>(f.calls.begin() + ptrdiff_t(mark), f.calls.end()), want)
            << (fullscreen ? "full screen" : "windowed");
        EXPECT_EQ(f.cursorCounter, fullscreen ? 0 : 1) << (fullscreen ? "full screen" : "windowed");
    }
    fakeWindows() = &fake;
}

// A failed lock writes nothing and unlocks nothing, in the clearing passes and in present.
TEST_F(Display, FailedLockWritesNothing) {
    fake.failing = {"Lock"};
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(fake.count("back.Unlock"), 0);
    present(testFrame());
    EXPECT_EQ(fake.count("back.Unlock"), 0);
    EXPECT_EQ(fake.count("back.Lock"), 3);
    EXPECT_TRUE(std::all_of(fake.back->memory.begin(), fake.back->memory.end(),
                            [](uint8_t b) { return b == 0xEE; }));
}

// ---------------------------------------------------------------- present and the window

// Windowed: lock, convert, unlock, then the blit onto the client area in screen coordinates,
// scaled from the frame's rectangle.
TEST_F(Display, WindowedPresentBlitsOntoTheClientArea) {
    ASSERT_EQ(open(false), 1);
    const size_t mark = fake.calls.size();
    present(testFrame());
    const std::vector<std::string> want = {
        "primary.IsLost",
        "offscreen.IsLost",
        "offscreen.Lock(null, " + kSize + "flags 1, null)",
        "offscreen.Unlock(the locked memory)",
        "ClientToScreen(window)",
        "GetClientRect(window)",
        "OffsetRect(30,40)",
        "SetRect(0,0,640,480)",
        "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)"};
    EXPECT_EQ(since(mark), want);
}

// Full screen and deactivated: present touches nothing; reactivated, it restores the lost
// primary and flips the frame. Windowed presenting goes on while deactivated.
TEST_F(Display, ActivationDecidesFullScreenPresenting) {
    ASSERT_EQ(open(true), 1);
    EXPECT_EQ(message(WM_ACTIVATEAPP, 0), 0x5EF);
    fake.primary->lost = true;
    size_t mark = fake.calls.size();
    present(testFrame());
    EXPECT_TRUE(since(mark).empty()) << "an inactive full-screen present touched the display";
    message(WM_ACTIVATEAPP, 1);
    mark = fake.calls.size();
    present(testFrame());
    const std::vector<std::string> want = {
        "primary.IsLost", "primary.Restore", "back.Lock(null, " + kSize + "flags 1, null)",
        "back.Unlock(the locked memory)", "primary.Flip(null,1)"};
    EXPECT_EQ(since(mark), want);

    presenterClose(platform.presenter);
    platform.presenter = {};
    platform.presenter.device = win32PresenterDevice(platform);
    ASSERT_EQ(open(false), 1);
    message(WM_ACTIVATEAPP, 0);
    mark = fake.calls.size();
    present(testFrame());
    EXPECT_EQ(fake.count("primary.Blt"), 1) << "a deactivated window stopped presenting";
}

// The window procedure's table.
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
        {"another system command",
         WM_SYSCOMMAND,
         SC_MINIMIZE,
         0x5EF,
         {"DefWindowProcA(window,0x112,0xf020)"}},
        {"the whole wParam compared",
         WM_SYSCOMMAND,
         SC_SCREENSAVE | 1,
         0x5EF,
         {"DefWindowProcA(window,0x112,0xf141)"}},
        {"close", WM_CLOSE, 0, 0, {"PostQuitMessage(0)"}},
        {"deactivation", WM_ACTIVATEAPP, 0, 0x5EF, {"DefWindowProcA(window,0x1c,0x0)"}},
        {"paint, windowed",
         WM_PAINT,
         0,
         0x5EF,
         {"ClientToScreen(window)", "GetClientRect(window)", "OffsetRect(30,40)",
          "SetRect(0,0,640,480)",
          "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)",
          "DefWindowProcA(window,0xf,0x0)"}},
        {"any other", WM_SIZE, 0, 0x5EF, {"DefWindowProcA(window,0x5,0x0)"}},
    };
    for (const auto &c : cases) {
        const size_t mark = fake.calls.size();
        EXPECT_EQ(message(c.message, c.wParam), c.want) << c.name;
        EXPECT_EQ(since(mark), c.wantCalls) << c.name;
    }
}

// Full screen, a paint flips nothing out of turn: the next present shows the newest frame.
TEST_F(Display, FullScreenPaintLeavesTheFlipToPresent) {
    ASSERT_EQ(open(true), 1);
    const size_t mark = fake.calls.size();
    message(WM_PAINT, 0);
    EXPECT_EQ(since(mark), std::vector<std::string>{"DefWindowProcA(window,0xf,0x0)"});
}

// A palette display: open fails, present does nothing, and the show still runs to its end.
TEST_F(Display, ShowRunsToItsEndOnAPaletteDisplay) {
    fake.formatFlags = DDPF_PALETTEINDEXED8;
    fake.formatBits = 8;
    FakePlatform scripted;
    scripted.clock = {0, 0, 1000, 70000, 140000};
    ShowPlatform show = scripted.platform();
    show.presenter = presenterService(&platform.presenter);
    EXPECT_EQ(showMain(show), 0);
    EXPECT_EQ(scripted.clockReads, 5u) << "every frame up to 140 s ran";
    EXPECT_EQ(fake.count("back.Lock"), 2) << "only the two clearing passes lock";
    EXPECT_EQ(fake.calls.back(), "ShowCursor(1)");
}
