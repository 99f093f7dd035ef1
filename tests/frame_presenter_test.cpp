// FramePresenter over a recording display device: open's steps and failures, the converter
// and pitch rules, activation, lost surfaces, the wait for the display when nothing is shown,
// and close; then the pace of those waits.
#include "display/frame_presenter.h"

#include "fake_platform.h"
#include "show/presenter_service.h"
#include "show/show_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

// A display device that records its calls and keeps its target in memory.
struct RecordingDevice {
    int modeBits = 32;  // what setMode takes
    DisplayFormat displayFormat = {true, 32, 4};
    int pitch = W * 4;
    std::string failAt;  // the call that fails, if any
    bool lost = false;
    std::vector<uint8_t> target;
    std::vector<std::string> calls;

    PresenterDevice device() {
        PresenterDevice d{};
        d.user = this;
        d.loadDisplay = [](void *u) { return self(u).step("loadDisplay"); };
        d.createWindow = [](void *u, const char *, int, int, bool) {
            return self(u).step("createWindow");
        };
        d.raiseWindow = [](void *u) { self(u).step("raiseWindow"); };
        d.setMode = [](void *u, int, int) {
            return self(u).step("setMode") ? self(u).modeBits : 0;
        };
        d.claimDisplay = [](void *u, bool) { return self(u).step("claimDisplay"); };
        d.showCursor = [](void *u, bool visible) {
            self(u).step(visible ? "showCursor" : "hideCursor");
        };
        d.createChain = [](void *u) { return self(u).step("createChain"); };
        d.createTarget = [](void *u, int, int h) {
            RecordingDevice &r = self(u);
            r.target.assign(size_t(r.pitch) * h, 0xEE);
            return r.step("createTarget");
        };
        d.format = [](void *u) { return self(u).displayFormat; };
        d.isLost = [](void *u) { return self(u).lost; };
        d.restore = [](void *u) {
            self(u).lost = false;
            self(u).step("restore");
        };
        d.lock = [](void *u, void **pixels, int *rowBytes) {
            RecordingDevice &r = self(u);
            *pixels = r.target.data();
            *rowBytes = r.pitch;
            return r.step("lock");
        };
        d.unlock = [](void *u) { self(u).step("unlock"); };
        d.show = [](void *u) { self(u).step("show"); };
        d.waitFrame = [](void *u) { self(u).step("waitFrame"); };
        d.destroyChain = [](void *u) { self(u).step("destroyChain"); };
        d.releaseDisplay = [](void *u) { self(u).step("releaseDisplay"); };
        d.destroyWindow = [](void *u) { self(u).step("destroyWindow"); };
        d.unregisterClass = [](void *u) { self(u).step("unregisterClass"); };
        d.unloadDisplay = [](void *u) { self(u).step("unloadDisplay"); };
        return d;
    }
    static RecordingDevice &self(void *u) { return *static_cast<RecordingDevice *>(u); }
    bool step(const std::string &name) {
        calls.push_back(name);
        return name != failAt;
    }
    int count(const std::string &name) const {
        return int(std::count(calls.begin(), calls.end(), name));
    }
};

// A presenter over the device.
FramePresenter presenterOver(RecordingDevice &r) {
    FramePresenter p;
    p.device = r.device();
    return p;
}

// Counts converter calls, whatever they convert.
int converterCalls = 0;
void countingConverter(void *destination, const Pixel *source, int count) {
    ++converterCalls;
    copyPixels32(destination, source, count);
}

std::vector<Pixel> testFrame() {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00010203u * (i % 97);
    return frame;
}

}  // namespace

TEST(FramePresenter, FullScreenOpenRunsItsStepsInOrder) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    EXPECT_EQ(presenterOpen(p, "", W, H, true), 1);
    const std::vector<std::string> want = {
        "loadDisplay", "createWindow", "raiseWindow", "setMode", "claimDisplay", "hideCursor",
        "createChain", "createTarget", "restore",     "lock",    "unlock",       "show",
        "restore",     "lock",         "unlock",      "show"};
    EXPECT_EQ(r.calls, want);
    EXPECT_EQ(p.converter, copyPixels32);
    EXPECT_TRUE(p.active);
}

TEST(FramePresenter, WindowedOpenHasNoModeNoCursorAndNoClearingPasses) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    EXPECT_EQ(presenterOpen(p, "", W, H, false), 1);
    const std::vector<std::string> want = {"loadDisplay",  "createWindow", "raiseWindow",
                                           "claimDisplay", "createChain",  "createTarget"};
    EXPECT_EQ(r.calls, want);
}

// Pitch 2560: one converter call per frame; pitch 4096: one per row, each at its row.
TEST(FramePresenter, PitchDecidesHowManyConverterCalls) {
    const std::vector<Pixel> frame = testFrame();
    for (const auto &[pitch, wantCalls] : {std::pair{2560, 1}, {4096, 480}}) {
        RecordingDevice r;
        r.pitch = pitch;
        FramePresenter p = presenterOver(r);
        ASSERT_EQ(presenterOpen(p, "", W, H, false), 1);
        p.converter = countingConverter;
        converterCalls = 0;
        presenterPresent(p, frame.data());
        EXPECT_EQ(converterCalls, wantCalls) << "pitch " << pitch;
        for (int y = 0; y < H; y += 53) {
            ASSERT_EQ(std::memcmp(&r.target[size_t(y) * pitch], &frame[size_t(y) * W], W * 4), 0)
                << "pitch " << pitch << " row " << y;
            if (pitch > 2560) {
                ASSERT_EQ(r.target[size_t(y) * pitch + 2560], 0xEE) << "gap written";
            }
        }
    }
}

// The display's bit count alone picks the converter; a 16-bit display with 5-5-5 masks is
// written as 5-6-5. Palette-indexed and unsupported formats make open fail. The clearing passes
// zero the mode's bytes of each row, before the format is asked for.
TEST(FramePresenter, FormatDecidesTheConverterOrFailure) {
    const struct {
        DisplayFormat format;
        int wantOpen;
        PixelConverter want;
        std::string wantFailure;
        int wantCleared;
    } cases[] = {
        {{true, 32, 4}, 1, copyPixels32, "(none)", 2560},
        {{true, 24, 3}, 1, convertPixels24, "(none)", 1920},
        {{true, 16, 2}, 1, convertPixels16, "(none)", 1280},
        {{true, 15, 2}, 1, convertPixels15, "(none)", 1280},
        {{false, 8, 1}, 0, nullptr, "the display's colours are palette-indexed", 640},
        {{true, 8, 1}, 0, nullptr, "no pixel converter for the display's format", 640},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        r.displayFormat = c.format;
        r.modeBits = c.format.bitCount;
        r.pitch = 4096;
        FramePresenter p = presenterOver(r);
        const int bits = c.format.bitCount;
        EXPECT_EQ(presenterOpen(p, "", W, H, true), c.wantOpen) << bits << " bits";
        EXPECT_EQ(p.converter, c.want) << bits << " bits";
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure) << bits << " bits";
        for (int y = 0; y < H; ++y) {
            const uint8_t *row = &r.target[size_t(y) * r.pitch];
            ASSERT_TRUE(std::all_of(row, row + c.wantCleared, [](uint8_t b) { return b == 0; }))
                << bits << " bits: row " << y << " not cleared";
            ASSERT_TRUE(std::all_of(row + c.wantCleared, row + r.pitch,
                                    [](uint8_t b) { return b == 0xEE; }))
                << bits << " bits: row " << y << " cleared past " << c.wantCleared << " bytes";
        }
    }
}

// Each failing step stops open there with 0; close then releases only what exists, and
// always unregisters the class and shows the cursor.
TEST(FramePresenter, FailedStepsAndCloseAfterThem) {
    const std::vector<std::string> afterWindow = {"releaseDisplay", "destroyWindow",
                                                  "unregisterClass", "showCursor", "unloadDisplay"};
    std::vector<std::string> afterChain = afterWindow;
    afterChain.insert(afterChain.begin(), "destroyChain");
    const struct {
        const char *failAt;
        std::string wantFailure;
        std::vector<std::string> wantClose;
    } cases[] = {
        {"loadDisplay", "no display", {"unregisterClass", "showCursor"}},
        {"createWindow",
         "the window could not be made",
         {"releaseDisplay", "unregisterClass", "showCursor", "unloadDisplay"}},
        {"setMode", "no full-screen display mode", afterWindow},
        {"claimDisplay", "the display could not be claimed", afterWindow},
        {"createChain", "nothing to show frames through", afterWindow},
        {"createTarget", "no surface for the frames", afterChain},
    };
    const std::vector<Pixel> frame = testFrame();
    for (const auto &c : cases) {
        RecordingDevice r;
        r.failAt = c.failAt;
        FramePresenter p = presenterOver(r);
        EXPECT_EQ(presenterOpen(p, "", W, H, true), 0) << c.failAt;
        EXPECT_EQ(r.calls.back(), c.failAt);
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure) << c.failAt;
        const size_t afterOpen = r.calls.size();
        presenterPresent(p, frame.data());
        EXPECT_EQ(std::vector<std::string>(r.calls.begin() + afterOpen, r.calls.end()),
                  std::vector<std::string>{"waitFrame"})
            << c.failAt << ": present after a failed open does anything but wait for the display";
        const size_t afterPresent = r.calls.size();
        presenterClose(p);
        EXPECT_EQ(std::vector<std::string>(r.calls.begin() + afterPresent, r.calls.end()),
                  c.wantClose)
            << c.failAt;
    }
}

// The cursor is hidden once by a full-screen open and shown once by close, which releases all.
TEST(FramePresenter, CursorHiddenOnceShownOnce) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    presenterOpen(p, "", W, H, true);
    const std::vector<Pixel> frame = testFrame();
    for (int i = 0; i < 3; ++i) presenterPresent(p, frame.data());
    presenterClose(p);
    EXPECT_EQ(r.count("hideCursor"), 1);
    EXPECT_EQ(r.count("showCursor"), 1);
    const std::vector<std::string> tail(r.calls.end() - 6, r.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"destroyChain", "releaseDisplay", "destroyWindow",
                                              "unregisterClass", "showCursor", "unloadDisplay"}));
}

// After an open, window events and then a present: what reaches the device, and whether the
// frame was written. Full screen and inactive only waits for the display; active again, it
// restores; a window goes on presenting; a repaint shows a window's frame again only; a close
// request is kept for the show's poll.
TEST(FramePresenter, WindowEventsAndPresent) {
    using E = WindowEvent;
    const struct {
        const char *name;
        bool fullscreen;
        std::vector<WindowEvent> events;
        const char *failAt;
        int presents;
        std::vector<std::string> want;
    } cases[] = {
        {"inactive full screen", true, {E::kDeactivated}, "", 2, {"waitFrame", "waitFrame"}},
        {"active again",
         true,
         {E::kDeactivated, E::kActivated},
         "",
         1,
         {"restore", "lock", "unlock", "show"}},
        {"inactive window", false, {E::kDeactivated}, "", 1, {"lock", "unlock", "show"}},
        {"failed lock", false, {}, "lock", 1, {"lock", "waitFrame"}},
        {"window repaint", false, {E::kRepaint}, "", 0, {"show"}},
        {"full-screen repaint", true, {E::kRepaint}, "", 0, {}},
        {"close request", false, {E::kCloseRequested}, "", 0, {}},
    };
    const std::vector<Pixel> frame = testFrame();
    for (const auto &c : cases) {
        RecordingDevice r;
        FramePresenter p = presenterOver(r);
        ASSERT_EQ(presenterOpen(p, "", W, H, c.fullscreen), 1) << c.name;
        const std::vector<uint8_t> opened = r.target;
        r.calls.clear();
        r.lost = c.fullscreen;  // the display may have been taken away meanwhile
        r.failAt = c.failAt;
        for (const WindowEvent e : c.events) presenterWindowEvent(p, e);
        for (int i = 0; i < c.presents; ++i) presenterPresent(p, frame.data());
        EXPECT_EQ(r.calls, c.want) << c.name;
        const bool written = r.count("unlock") > 0;
        EXPECT_EQ(std::memcmp(r.target.data(),
                              written ? static_cast<const void *>(frame.data()) : opened.data(),
                              r.target.size()),
                  0)
            << c.name << (written ? ": the frame not written" : ": the target written");
        EXPECT_EQ(p.quitRequested, c.events == std::vector<WindowEvent>{E::kCloseRequested})
            << c.name;
    }
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    presenterWindowEvent(p, WindowEvent::kRepaint);
    EXPECT_TRUE(r.calls.empty()) << "a repaint before open reached the device";
}

// A palette-indexed display: open fails, present does nothing, the show still runs to its end.
TEST(FramePresenter, ShowRunsToItsEndOnAPaletteDisplay) {
    RecordingDevice r;
    r.displayFormat = {false, 8, 1};
    FramePresenter presenter = presenterOver(r);
    FakePlatform fake;
    fake.clock = {0, 0, 1000, 70000, 140000};
    ShowPlatform platform = fake.platform();
    platform.presenter = presenterService(&presenter);
    EXPECT_EQ(showMain(platform), 0);
    EXPECT_EQ(fake.clockReads, 5u) << "every frame up to 140 s ran";
    EXPECT_EQ(r.count("lock"), 2) << "only the two clearing passes lock";
    EXPECT_EQ(r.count("waitFrame"), 3) << "each of the three frames waits for the display";
    EXPECT_EQ(r.calls.back(), "unloadDisplay");
}

// Waits keep a steady pace after the latest deadline; the first wait, a late one and one after
// the clock went back start again from now.
TEST(FramePace, DeadlinesKeepThePace) {
    const struct {
        const char *name;
        FramePace pace;
        int64_t now;
        int64_t want;
    } cases[] = {
        {"first wait", {0, false}, 1000, 1016},
        {"on time", {1016, true}, 1016, 1032},
        {"a little after the deadline", {1016, true}, 1020, 1032},
        {"early: the next deadline more than a frame ahead", {1016, true}, 1010, 1026},
        {"exactly a frame late", {1016, true}, 1032, 1048},
        {"several frames late", {1016, true}, 1100, 1116},
        {"the clock went back", {1016, true}, 500, 516},
        {"the clock wrapped", {4294967290, true}, 3, 19},
    };
    for (const auto &c : cases) {
        FramePace pace = c.pace;
        const int64_t got = nextFrameDeadline(pace, c.now, 16);
        EXPECT_EQ(got, c.want) << c.name;
        EXPECT_EQ(pace.deadline, c.want) << c.name;
        EXPECT_TRUE(pace.started) << c.name;
    }
}
