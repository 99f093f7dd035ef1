// The Windows side of the show. The platform against recording fakes of Win32 and DirectDraw:
// the presenter over the DirectDraw display (the objects open makes in both modes, the mode
// fallback, pitches and converters, failures and close, activation and lost surfaces, the window
// procedure and the waits), and the platform's services (the Escape poll, the start dialog run by
// DialogBoxParamA with the show's procedure, the timer period from init to quit, the music's two
// folders and the message boxes). Then glaxen.exe's resources as Windows reads them, the program
// loaded as data, not run: the start dialog (101, Portuguese (Portugal)) as an extended template
// that says what the show's own dialog template says, icon group 102 with its one 32 x 32,
// 16-colour image, the manifest and the version. Needs: GLAXEN_EXE and GLAXEN_MUSIC, paths of
// this machine; GLAXEN_VERSION, the project's version.
#include "platform/win32/win32_platform.h"
#include "show/show_main.h"
#include "show/start_dialog.h"
#include "tests/win32/fake_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

// A platform started over the test's scripted fake, its procedures serving it; a test replaces
// the fake before each open.
struct Platform : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    ShowPlatform show;
    // A frame of varied pixels.
    const std::vector<Pixel> frame = [] {
        std::vector<Pixel> pixels(W * H);
        for (int i = 0; i < W * H; ++i) pixels[i] = 0x00102030u + 0x00010101u * (i % 101);
        return pixels;
    }();
    void SetUp() override {
        fakeWindows = &fake;
        init();
    }
    void TearDown() override {
        win32PlatformQuit(platform);
        fakeWindows = nullptr;
    }
    // Starts the platform over the fake.
    void init() {
        win32PlatformInit(platform, kFakeWin32Api, kFakeInstance);
        show = win32ShowPlatform(platform);
    }
    // Opens a fresh presenter over the display as now scripted.
    int open(bool fullscreen) {
        platform.display = {};
        platform.presenter = {.device = win32PresenterDevice(platform)};
        return presenterOpen(platform.presenter, "", W, H, fullscreen);
    }
    // Presents the test's frame.
    void present() { presenterPresent(platform.presenter, frame.data()); }
};
// The presenter's tests, over the same platform.
using Display = Platform;

// A windowed frame's blit onto the client area in screen coordinates, from the frame's rectangle.
const std::string kBlit =
    "primary.Blt(30,40,830,640 from offscreen 0,0,640,480, flags 0x1000000, null)";

// A path of this machine as a program under Wine names it: on drive Z:, with backslashes.
std::string windowsPath(std::string path) {
    std::ranges::replace(path, '/', '\\');
    return "Z:" + path;
}

// The language of the dialog and the icon.
const WORD kPortuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
// The program, as Windows names it under Wine.
const std::string kProgram = windowsPath(GLAXEN_EXE);

// A little-endian reader over a resource's bytes.
struct Reader {
    const uint8_t *start, *at = start;
    // The next value of T.
    template <typename T> T next() {
        T v;
        std::memcpy(&v, at, sizeof v);
        at += sizeof v;
        return v;
    }
    // The next n values of T.
    template <typename T> std::vector<int> many(int n) {
        std::vector<int> values(n);
        for (int &v : values) v = next<T>();
        return values;
    }
    // A UTF-16 string of ASCII, to its terminating zero.
    std::string text() {
        std::string s;
        for (auto c = next<uint16_t>(); c != 0; c = next<uint16_t>()) s += static_cast<char>(c);
        return s;
    }
    // On to the next multiple of four bytes from the start.
    void alignToDword() { at = start + (at - start + 3) / 4 * 4; }
};

// The program's resource in Portuguese (Portugal), read from its start (null when there is none);
// the program is loaded as data once.
Reader resource(LPCSTR type, int id, DWORD *size = nullptr) {
    static const HMODULE program =
        LoadLibraryExA(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found = FindResourceExA(program, type, MAKEINTRESOURCEA(id), kPortuguese);
    if (program == nullptr || found == nullptr) return {nullptr};
    if (size) *size = SizeofResource(program, found);
    return {static_cast<const uint8_t *>(LockResource(LoadResource(program, found)))};
}

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
TEST_F(Display, TheWindowProcedure) {
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
    // Each refresh rate in hertz, and one display frame in milliseconds.
    const std::pair<DWORD, DWORD> cases[] = {{60, 17}, {75, 13}, {1, 17}, {0, 17}};
    for (const auto &[refreshRate, wantFrame] : cases) {
        fake = {.refreshRate = refreshRate};
        platform.display = {};
        present();
        EXPECT_EQ(fake.now, wantFrame) << refreshRate << " Hz";
        fake.now += 5;  // the next frame takes 5 ms
        present();
        EXPECT_EQ(fake.now, 2 * wantFrame) << refreshRate << " Hz";
        EXPECT_EQ(fake.count("EnumDisplaySettingsA"), 1) << refreshRate << " Hz";
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

// ---------------------------------------------------------------- glaxen.exe's resources

// The dialog's size and its controls' ids, places, sizes and texts are kStartDialogTemplate's,
// which the show paints from; style, font, language and the button class only the .rc gives.
TEST(Resources, StartDialogTemplate) {
    Reader r = resource(RT_DIALOG, 101);
    ASSERT_NE(r.start, nullptr) << "no dialog 101 in Portuguese (Portugal) in " << kProgram;
    const DialogTemplate &t = kStartDialogTemplate;
    // Version 1 of an extended template; help id, extended style and style, a word pair each; the
    // controls; place and size; no menu, class or caption; font size 7, weight 0, not italic, the
    // default character set.
    ASSERT_EQ(r.many<uint16_t>(19),
              (std::vector<int>{1, 0xFFFF, 0, 0, 0, 0, 0x08C5, 0x80C0, t.controlCount, 0, 0,
                                t.width, t.height, 0, 0, 0, 7, 0, 0x0100}));
    EXPECT_EQ(r.text(), "Small Fonts");
    for (int i = 0; i < t.controlCount; ++i) {
        const DialogControl &c = t.controls[i];
        EXPECT_EQ(c.kind, DialogControlKind::kPushButton) << i << ": the .rc's are buttons";
        r.alignToDword();
        // No help id or extended style, the style WS_CHILD | WS_VISIBLE; place, size and id; the
        // button class; the text, and no creation data.
        EXPECT_EQ(r.many<uint16_t>(14), (std::vector<int>{0, 0, 0, 0, 0, 0x5000, c.x, c.y, c.width,
                                                          c.height, c.id, 0, 0xFFFF, 0x0080}))
            << "control " << i;
        EXPECT_EQ(r.text(), c.text) << "control " << i;
        EXPECT_EQ(r.next<uint16_t>(), 0) << "control " << i << " creation data";
    }
}

// One 32 x 32 image of 16 colours, 4 bits a pixel, of the size the group gives it.
TEST(Resources, IconGroup) {
    Reader r = resource(RT_GROUP_ICON, 102);
    ASSERT_NE(r.start, nullptr) << "no icon group 102 in " << kProgram;
    ASSERT_EQ(r.many<uint16_t>(3), (std::vector<int>{0, 1, 1})) << "an icon of one image";
    EXPECT_EQ(r.many<uint8_t>(4), (std::vector<int>{32, 32, 16, 0})) << "32 x 32, 16 colours";
    EXPECT_EQ(r.many<uint16_t>(2), (std::vector<int>{1, 4})) << "one plane, 4 bits a pixel";
    const DWORD imageBytes = r.next<uint32_t>();
    const int id = r.next<uint16_t>();
    DWORD size = 0;
    Reader image = resource(RT_ICON, id, &size);
    ASSERT_NE(image.start, nullptr) << "no icon image " << id;
    EXPECT_EQ(size, imageBytes);
    EXPECT_EQ(image.next<uint32_t>(), 40u) << "bitmap header size";
}

// The manifest as Windows takes it, in an activation context made from the program's resource 1:
// per-monitor DPI awareness (v2, then v1, and "true/pm" for the Windows before them), the user's
// own rights, and every Windows from 7 to 11.
TEST(Resources, Manifest) {
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = kProgram.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    const HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "Windows takes no manifest from " << kProgram;
    const auto setting = [context](const wchar_t *space, const wchar_t *name) {
        wchar_t value[64] = L"";
        QueryActCtxSettingsW(0, context, space, name, value, std::size(value), nullptr);
        return std::wstring(value);
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
              L"true/pm");
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof level, nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);
    // The record as Windows 10 1903 and Wine give it, each element with the newest version
    // tested after its type (the headers here have the older record without it).
    struct {
        DWORD count;
        struct {
            GUID id;
            ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
            ULONGLONG maxVersionTested;
        } elements[16];
    } compatibility = {};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                             &compatibility, sizeof compatibility, nullptr));
    std::vector<std::string> systems;
    for (DWORD i = 0; i < compatibility.count && i < std::size(compatibility.elements); ++i) {
        const auto &e = compatibility.elements[i];
        char id[40];
        std::snprintf(id, sizeof id, "%08lx-%04x-%04x", e.id.Data1, e.id.Data2, e.id.Data3);
        if (e.type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) systems.push_back(id);
    }
    const std::vector<std::string> want = {"35138b9a-5d96-4fbd", "4a2f28e3-53b9-4441",
                                           "1f676c76-80e1-4239", "8e0f7a12-bfb3-4fe8"};
    EXPECT_EQ(systems, want) << "Windows 7, 8, 8.1, and 10 and 11";
    ReleaseActCtx(context);
}

// The version Explorer shows: the product, the project's version in text and in numbers, a
// description and the program's own file name.
TEST(Resources, Version) {
    std::vector<uint8_t> info(GetFileVersionInfoSizeA(kProgram.c_str(), nullptr));
    ASSERT_FALSE(info.empty()) << "no version resource in " << kProgram;
    ASSERT_TRUE(GetFileVersionInfoA(kProgram.c_str(), 0, DWORD(info.size()), info.data()));
    UINT length = 0;
    const auto text = [&](const char *name) {
        char *value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void **>(&value), &length);
        return std::string(value ? value : "(none)");
    };
    EXPECT_EQ(text("ProductName"), "glaxen");
    EXPECT_EQ(text("ProductVersion"), GLAXEN_VERSION);
    EXPECT_EQ(text("FileVersion"), GLAXEN_VERSION);
    EXPECT_NE(text("FileDescription").find("glaxen"), std::string::npos);
    EXPECT_EQ(text("OriginalFilename"), kProgram.substr(kProgram.rfind('\\') + 1));
    VS_FIXEDFILEINFO *fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    const std::string numbers = std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwProductVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwProductVersionLS));
    EXPECT_EQ(numbers, GLAXEN_VERSION) << "the version's numbers";
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
}
