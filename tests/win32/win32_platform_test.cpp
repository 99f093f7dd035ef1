// The Windows platform against recording fakes of Win32 and DirectDraw. The presenter over the
// DirectDraw display: the objects open makes in both modes, the mode fallback, pitches and
// converters, failures and close, activation and lost surfaces, the window procedure and the
// waits. The platform's services: the Escape poll, the start dialog run by DialogBoxParamA with
// the show's procedure, the timer period from init to quit, the music's two folders and the
// message boxes.
#include "platform/win32/win32_platform.h"
#include "show/show_main.h"
#include "tests/win32/fake_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

// A platform started over the test's scripted fake, its procedures serving it; a test replaces
// the fake before each open.
struct Platform : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    ShowPlatform show;
    const std::vector<Pixel> frame = testFrame();
    void SetUp() override {
        fakeWindows = &fake;
        init();
    }
    void TearDown() override {
        win32PlatformQuit(platform);
        fakeWindows = nullptr;
    }
    void init() {
        win32PlatformInit(platform, kFakeWin32Api, kFakeInstance);
        show = win32ShowPlatform(platform);
    }
    // Opens a fresh presenter over the display as now scripted.
    int open(bool fullscreen) {
        platform.display = {};
        platform.presenter = {};
        platform.presenter.device = win32PresenterDevice(platform);
        return presenterOpen(platform.presenter, "", W, H, fullscreen);
    }
    void present() { presenterPresent(platform.presenter, frame.data()); }
};
// The presenter's tests, over the same platform.
using Display = Platform;

// A windowed frame's blit onto the client area in screen coordinates, from the frame's rectangle.
const std::string kBlit =
    "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)";

}  // namespace

// ---------------------------------------------------------------- open

// Both modes register the class with the arrow cursor and raise the window. Full screen is a
// popup of the frame's size taking the display exclusively in the first depth of 32, 24 and 16
// it takes, the cursor hidden, with a flip chain (in system memory when there is no video
// memory); a window is sized for its client area and gets an offscreen surface and a clipper
// bound to it and to the primary. The format's bit count picks the converter, and a present
// writes each row of the frame at the lock's pitch.
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
        std::vector<DWORD> modes;  // the depths the display takes, a tail of 32, 24, 16
        LONG pitch;
        PixelConverter want;
        const std::vector<std::string> &wantCalls;
    } cases[] = {
        {"full screen, rows apart", true, true, {32, 24, 16}, 4096, copyPixels32, fullscreen},
        {"no video memory", true, false, {32, 24, 16}, 2560, copyPixels32, systemMemory},
        {"32 refused, rows back to back", true, true, {24, 16}, 1920, convertPixels24, fullscreen},
        {"only 16", true, true, {16}, 1536, convertPixels16, fullscreen},
        {"windowed", false, true, {32, 24, 16}, 3072, copyPixels32, windowed},
    };
    for (const auto &c : cases) {
        const DWORD bits = c.modes.front();
        fake = {
            .modes = c.modes, .formatBits = bits, .pitch = c.pitch, .videoMemory = c.videoMemory};
        ASSERT_EQ(open(c.fullscreen), 1) << c.name;
        std::vector<std::string> want = c.wantCalls;
        want.insert(want.end(), {"RegisterClassA(glaxen, style 3, cursor arrow)",
                                 "SetForegroundWindow(window)"});
        for (const std::string &call : want)
            EXPECT_EQ(fake.count(call), 1) << c.name << ": " << call;
        EXPECT_EQ(platform.presenter.modeBits, c.fullscreen ? int(bits) : 0) << c.name;
        ASSERT_EQ(platform.presenter.converter, c.want) << c.name;
        present();
        const FakeSurfaceMemory &target = c.fullscreen ? *fake.back : *fake.offscreen;
        std::vector<uint8_t> row(W * bits / 8);
        for (int y = 0; y < H; y += 67) {
            c.want(row.data(), &frame[size_t(y) * W], W);
            const uint8_t *at = &target.memory[size_t(y) * c.pitch];
            ASSERT_TRUE(std::equal(row.begin(), row.end(), at)) << c.name << ", row " << y;
        }
    }
}

// ---------------------------------------------------------------- failures and close

// Each failing step makes open return 0 there, and so does a palette display; a close after it
// releases only what exists (the presenter's own test has which). After a show, in either mode,
// close releases the primary, DirectDraw and the window, unregisters the class and shows the
// cursor.
TEST_F(Display, OpenFailuresAndClose) {
    const std::vector<std::string> closed = {"primary.Release", "DirectDraw.Release",
                                             "DestroyWindow(window)",
                                             "UnregisterClassA(glaxen,instance)", "ShowCursor(1)"};
    const struct {
        const char *name, *failing;
        bool fullscreen;
        int wantOpen;
        DWORD formatFlags = DDPF_RGB;
    } cases[] = {
        {"no ddraw.dll", "LoadLibraryA", true, 0},
        {"no DirectDrawCreate", "GetProcAddress", true, 0},
        {"DirectDrawCreate fails", "DirectDrawCreate", true, 0},
        {"no window", "CreateWindowExA", true, 0},
        {"no exclusive level", "SetCooperativeLevel", true, 0},
        {"no primary", "CreateSurface", true, 0},
        {"no back buffer", "GetAttachedSurface", true, 0},
        {"palette display", "", true, 0, DDPF_PALETTEINDEXED8},
        {"shown full screen", "", true, 1},
        {"shown, every lock failing", "Lock", true, 1},
        {"shown in a window", "", false, 1},
    };
    for (const auto &c : cases) {
        fake = {.formatFlags = c.formatFlags, .failing = {c.failing}};
        EXPECT_EQ(open(c.fullscreen), c.wantOpen) << c.name;
        present();
        fake.calls.clear();
        presenterClose(platform.presenter);
        if (c.wantOpen == 1) {
            EXPECT_EQ(fake.calls, closed) << c.name;
        }
    }
}

// ---------------------------------------------------------------- present and the window

// Full screen and deactivated, a present does not flip; reactivated, it restores the lost
// primary and flips the frame.
TEST_F(Display, ActivationDecidesFullScreenPresenting) {
    ASSERT_EQ(open(true), 1);
    fake.windowProc(kFakeWindow, WM_ACTIVATEAPP, 0, 0);
    fake.primary->lost = true;
    fake.calls.clear();
    present();
    EXPECT_EQ(fake.count("primary.Flip"), 0) << "an inactive full-screen present flipped";
    fake.windowProc(kFakeWindow, WM_ACTIVATEAPP, 1, 0);
    present();
    EXPECT_FALSE(fake.primary->lost);
    EXPECT_EQ(fake.count("primary.Flip(null,1)"), 1);
}

// The window procedure's table, where a windowed paint shows the frame again: the offscreen
// surface blitted onto the client area.
TEST_F(Display, WindowedPresentAndTheWindowProcedure) {
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
        {"close", WM_CLOSE, 0, 0, {"PostQuitMessage(0)"}},
        {"deactivation", WM_ACTIVATEAPP, 0, 0x5EF, {"DefWindowProcA(window,0x1c,0x0)"}},
        {"paint, windowed", WM_PAINT, 0, 0x5EF, {kBlit, "DefWindowProcA(window,0xf,0x0)"}},
    };
    for (const auto &c : cases) {
        fake.calls.clear();
        EXPECT_EQ(fake.windowProc(kFakeWindow, c.message, c.wParam, 0), c.want) << c.name;
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

// ---------------------------------------------------------------- the platform's services

// An Escape pressed before the start is spent by the platform's start. Later presses, down now
// or since the last poll, count while the show's window has been in front since the poll before;
// a press while another window is in front is read and spent, and neither it nor the key held
// on from there counts once the show is in front again. A show with no window takes any press.
TEST_F(Platform, EscapeCountsOnlyForTheShowInFront) {
    const HWND w = kFakeWindow, other = reinterpret_cast<HWND>(0x777);
    const struct {
        const char *name;
        SHORT state;
        HWND window, foreground;
        bool want;
    } polls[] = {
        {"in front, nothing pressed", 0, w, w, false},
        {"down", SHORT(0x8000), w, w, true},
        {"pressed since the last poll", 1, w, w, true},
        {"down, another window in front", SHORT(0x8001), w, other, false},
        {"down, another window in front again", SHORT(0x8001), w, other, false},
        {"held on as the show comes to the front", SHORT(0x8000), w, w, false},
        {"still held", SHORT(0x8000), w, w, false},
        {"held a poll longer", SHORT(0x8000), w, w, false},
        {"released", 0, w, w, false},
        {"pressed again", SHORT(0x8001), w, w, true},
        {"another window in front", 0, w, other, false},
        {"pressed since a poll with another window in front", 1, w, w, false},
        {"no foreground window", SHORT(0x8000), w, nullptr, false},
        {"no window: nothing to be in front of", 0, nullptr, other, false},
        {"no window, down", SHORT(0x8000), nullptr, other, true},
    };
    win32PlatformQuit(platform);  // started again, with Escape pressed before the start
    fake.escapeStates = {1};
    for (const auto &poll : polls) fake.escapeStates.push_back(poll.state);
    init();
    EXPECT_EQ(fake.escapeStates.size(), std::size(polls)) << "one poll at the start";
    for (const auto &poll : polls) {
        platform.display.window = poll.window;
        fake.foreground = poll.foreground;
        EXPECT_EQ(show.system.escapePressed(show.system.user), poll.want) << poll.name;
    }
    EXPECT_TRUE(fake.escapeStates.empty()) << "a poll did not read the key";
}

// DialogBoxParamA runs resource 101 with no owner and parameter 0; the show's procedure gets
// init (answering TRUE) and commands by their low word, and no other message. Its result is the
// dialog's, -1 when none could be made.
TEST_F(Platform, StartDialogRunsTheShowsProcedure) {
    fake.dialog = {{WM_INITDIALOG, 0}, {WM_PAINT, 0}, {WM_COMMAND, MAKEWPARAM(1, BN_CLICKED)}};
    ShowSettings settings;
    EXPECT_EQ(show.system.startDialog(show.system.user, &settings), 1);
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{
                  "timeBeginPeriod(1)", "DialogBoxParamA(instance,101,null,0)",
                  "CheckDlgButton(1001,1)", "CheckDlgButton(1000,1)", "procedure(0x110,0x0) = 1",
                  "procedure(0xf,0x0) = 0", "EndDialog(1)", "procedure(0x111,0x1) = 0"}));
    fake.dialog.clear();
    EXPECT_EQ(show.system.startDialog(show.system.user, &settings), -1) << "with no dialog";
}

// The 1 ms timer period is asked for first, by init, and ended last, once, by quit; a period
// Windows refused is not ended.
TEST_F(Platform, TimerPeriodFromInitToQuit) {
    win32PlatformQuit(platform);
    win32PlatformQuit(platform);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"timeBeginPeriod(1)", "timeEndPeriod(1)"}));
    fake = {.failing = {"timeBeginPeriod"}};
    init();
    win32PlatformQuit(platform);
    EXPECT_EQ(fake.count("timeEndPeriod"), 0) << "a refused period ended";
}

// The music from the working folder, else from the program's; a file there that cannot be played
// is passed over. Where none can be, one message box names the music and where it looked, or
// the file that is there and why it cannot be played.
TEST_F(Platform, MusicFromTheWorkingFolderOrBesideTheProgram) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / "glaxen-win32-music";
    fs::remove_all(base);
    for (const char *folder : {"music", "bad", "bad too", "empty", "none"})
        fs::create_directories(base / folder);
    fs::copy_file(windowsPath(GLAXEN_MUSIC), base / "music" / kMusicFile);
    for (const char *folder : {"bad", "bad too"}) std::ofstream(base / folder / kMusicFile) << "no";
    const std::string at = base.string() + "\\", music = kMusicFile;
    // The one message box, which ends with what to do.
    const auto box = [](const std::string &text) {
        return std::vector<std::string>{"MessageBoxA(null,'" + text +
                                        ", so the show runs silent: extract the whole folder "
                                        "before running.','glaxen',48)"};
    };
    const std::vector<std::string> unplayable =
        box("The music " + at + "bad\\" + music + " cannot be played (not Ogg Vorbis)");
    const struct {
        const char *name, *working, *program;
        std::vector<std::string> wantCalls;  // none when the music plays
    } cases[] = {
        {"one that cannot be played, the music beside", "bad", "music", {}},
        {"one that cannot be played, none beside", "bad", "empty", unplayable},
        {"none that can be played: the first is named", "bad", "bad too", unplayable},
        {"nowhere", "empty", "none",
         box("The music " + music + " is neither in the working folder, " + at +
             "empty, nor in the folder of glaxen.exe, " + at + "none")},
        {"nowhere, started in its own folder", "empty", "empty",
         box("The music " + music + " is not in the folder of glaxen.exe, " + at + "empty")},
    };
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(show.audio.init(show.audio.user, 1, kMusicRate, 0)) << "no dummy device";
    for (const auto &c : cases) {
        fake.workingFolder = at + c.working;
        fake.programPath = at + c.program + "\\glaxen.exe";
        fake.calls.clear();
        const uint32_t stream = show.audio.streamCreateFile(show.audio.user, kMusicFile, 0, 0, 0);
        EXPECT_EQ(stream != 0, c.wantCalls.empty()) << c.name;
        EXPECT_EQ(fake.calls, c.wantCalls) << c.name;
    }
    win32PlatformQuit(platform);  // the stream keeps its file open until then
    fs::remove_all(base);
}

// The show's message box: MessageBoxA with no owner and an OK button only.
TEST_F(Platform, TheShowsMessageBox) {
    show.system.messageBox(show.system.user, "The text", "The caption");
    EXPECT_EQ(fake.calls.back(), "MessageBoxA(null,'The text','The caption',0)");
}
