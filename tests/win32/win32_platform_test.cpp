// The Windows platform's services against recording fakes: the Escape poll, the start dialog run
// by DialogBoxParamA with the show's procedure, the timer period from init to quit, the music's
// two folders and the message boxes.
#include "platform/win32/win32_platform.h"
#include "show/show_main.h"
#include "tests/win32/fake_windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A platform over the test's fake.
struct Platform : testing::Test {
    FakeWindows fake;
    Win32Platform platform;
    ShowPlatform show;
    void SetUp() override { fakeWindows = &fake; }
    void TearDown() override {
        win32PlatformQuit(platform);
        fakeWindows = nullptr;
    }
    void init() {
        win32PlatformInit(platform, kFakeWin32Api, kFakeInstance);
        show = win32ShowPlatform(platform);
    }
    bool escape() { return show.system.escapePressed(show.system.user); }
};

}  // namespace

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
        {"pressed since, another window in front", 1, w, other, false},
        {"back in front: the press was spent", 0, w, w, false},
        {"down, another window in front again", SHORT(0x8001), w, other, false},
        {"held on as the show comes to the front", SHORT(0x8000), w, w, false},
        {"still held", SHORT(0x8000), w, w, false},
        {"released", 0, w, w, false},
        {"pressed again", SHORT(0x8001), w, w, true},
        {"another window in front", 0, w, other, false},
        {"pressed since a poll with another window in front", 1, w, w, false},
        {"no foreground window", SHORT(0x8000), w, nullptr, false},
        {"no window: nothing to be in front of", 0, nullptr, other, false},
        {"no window, down", SHORT(0x8000), nullptr, other, true},
    };
    fake.escapeStates = {1};
    for (const auto &poll : polls) fake.escapeStates.push_back(poll.state);
    init();
    EXPECT_EQ(fake.escapeStates.size(), std::size(polls)) << "one poll at the start";
    for (const auto &poll : polls) {
        platform.display.window = poll.window;
        fake.foreground = poll.foreground;
        EXPECT_EQ(escape(), poll.want) << poll.name;
    }
    EXPECT_TRUE(fake.escapeStates.empty()) << "a poll did not read the key";
}

// DialogBoxParamA runs resource 101 with no owner and parameter 0; the show's procedure gets
// init (answering TRUE) and commands by their low word, and no other message. Its result is the
// dialog's, -1 when none could be made.
TEST_F(Platform, StartDialogRunsTheShowsProcedure) {
    fake.dialog = {{WM_INITDIALOG, 0}, {WM_PAINT, 0}, {WM_COMMAND, MAKEWPARAM(1, BN_CLICKED)}};
    init();
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

// The 1 ms timer period is asked for first, by init, and ended last, once, by quit.
TEST_F(Platform, TimerPeriodFromInitToQuit) {
    init();
    win32PlatformQuit(platform);
    win32PlatformQuit(platform);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"timeBeginPeriod(1)", "timeEndPeriod(1)"}));
}

// A period Windows refused is not ended.
TEST_F(Platform, RefusedTimerPeriodIsNotEnded) {
    fake.failing = {"timeBeginPeriod"};
    init();
    win32PlatformQuit(platform);
    EXPECT_EQ(fake.count("timeEndPeriod"), 0);
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
    const std::string advice =
        ", so the show runs silent: extract the whole folder before running.";
    const std::string unplayable =
        "The music " + at + "bad\\" + music + " cannot be played (not Ogg Vorbis)" + advice;
    const struct {
        const char *name, *working, *program;
        std::string wantBox;  // none when the music plays
    } cases[] = {
        {"one that cannot be played, the music beside", "bad", "music", ""},
        {"one that cannot be played, none beside", "bad", "empty", unplayable},
        {"none that can be played: the first is named", "bad", "bad too", unplayable},
        {"nowhere", "empty", "none",
         "The music " + music + " is neither in the working folder, " + at +
             "empty, nor in the folder of glaxen.exe, " + at + "none" + advice},
        {"nowhere, started in its own folder", "empty", "empty",
         "The music " + music + " is not in the folder of glaxen.exe, " + at + "empty" + advice},
    };
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    init();
    ASSERT_TRUE(show.audio.init(show.audio.user, 1, kMusicRate, 0)) << "no dummy device";
    for (const auto &c : cases) {
        fake.workingFolder = at + c.working;
        fake.programPath = at + c.program + "\\glaxen.exe";
        fake.calls.clear();
        const uint32_t stream = show.audio.streamCreateFile(show.audio.user, kMusicFile, 0, 0, 0);
        EXPECT_EQ(stream != 0, c.wantBox.empty()) << c.name;
        std::vector<std::string> wantCalls;
        if (!c.wantBox.empty())
            wantCalls.push_back("MessageBoxA(null,'" + c.wantBox + "','glaxen',48)");
        EXPECT_EQ(fake.calls, wantCalls) << c.name;
    }
    win32PlatformQuit(platform);  // the stream keeps its file open until then
    fs::remove_all(base);
}

// The show's message box: MessageBoxA with no owner and an OK button only.
TEST_F(Platform, TheShowsMessageBox) {
    init();
    show.system.messageBox(show.system.user, "The text", "The caption");
    EXPECT_EQ(fake.calls.back(), "MessageBoxA(null,'The text','The caption',0)");
}
