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
using Calls = std::vector<std::string>;

// A display device that records its calls and keeps its target in memory.
struct RecordingDevice {
    int modeBits = 32;  // what setMode takes
    DisplayFormat displayFormat = {true, 32, 4};
    int pitch = W * 4;
    std::string failAt;  // the call that fails, if any
    bool lost = false;
    std::vector<uint8_t> target;
    Calls calls;

    static RecordingDevice &self(void *u) { return *static_cast<RecordingDevice *>(u); }
    // Logs the call; false for the one that fails.
    bool step(const std::string &name) {
        calls.push_back(name);
        return name != failAt;
    }
    int count(const std::string &name) const {
        return int(std::count(calls.begin(), calls.end(), name));
    }
    // The calls since the first mark ones.
    Calls since(size_t mark) const { return {calls.begin() + ptrdiff_t(mark), calls.end()}; }
    PresenterDevice device() {
        return {
            .user = this,
            .loadDisplay = [](void *u) { return self(u).step("loadDisplay"); },
            .createWindow = [](void *u, auto...) { return self(u).step("createWindow"); },
            .raiseWindow = [](void *u) { self(u).step("raiseWindow"); },
            .setMode = [](void *u,
                          auto...) { return self(u).step("setMode") ? self(u).modeBits : 0; },
            .claimDisplay = [](void *u, auto...) { return self(u).step("claimDisplay"); },
            .showCursor = [](void *u, bool on) { self(u).step(on ? "showCursor" : "hideCursor"); },
            .createChain = [](void *u) { return self(u).step("createChain"); },
            .createTarget =
                [](void *u, int, int h) {
                    self(u).target.assign(size_t(self(u).pitch) * h, 0xEE);
                    return self(u).step("createTarget");
                },
            .format = [](void *u) { return self(u).displayFormat; },
            .isLost = [](void *u) { return self(u).lost; },
            .restore = [](void *u) { self(u).lost = !self(u).step("restore"); },
            .lock =
                [](void *u, void **pixels, int *rowBytes) {
                    *pixels = self(u).target.data();
                    *rowBytes = self(u).pitch;
                    return self(u).step("lock");
                },
            .unlock = [](void *u) { self(u).step("unlock"); },
            .show = [](void *u) { self(u).step("show"); },
            .waitFrame = [](void *u) { self(u).step("waitFrame"); },
            .destroyChain = [](void *u) { self(u).step("destroyChain"); },
            .releaseDisplay = [](void *u) { self(u).step("releaseDisplay"); },
            .destroyWindow = [](void *u) { self(u).step("destroyWindow"); },
            .unregisterClass = [](void *u) { self(u).step("unregisterClass"); },
            .unloadDisplay = [](void *u) { self(u).step("unloadDisplay"); },
        };
    }
};

// head, then tail.
Calls plus(Calls head, const Calls &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// A presenter over the device.
FramePresenter presenterOver(RecordingDevice &r) {
    FramePresenter p;
    p.device = r.device();
    return p;
}

// Counts converter calls, converting with the converter open chose.
PixelConverter chosen = nullptr;
int converterCalls = 0;
void countingConverter(void *destination, const Pixel *source, int count) {
    ++converterCalls;
    chosen(destination, source, count);
}

// A frame of varied pixels.
std::vector<Pixel> testFrame() {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00010203u * (i % 97);
    return frame;
}
const std::vector<Pixel> kFrame = testFrame();

}  // namespace

// Open's steps in order: full screen adds the mode, the hidden cursor and two clearing passes.
// Close after a show releases everything and shows the cursor once.
TEST(FramePresenter, OpenAndCloseRunTheirStepsInOrder) {
    const struct {
        const char *name;
        bool fullscreen;
        Calls want;
    } cases[] = {
        {"full screen",
         true,
         {"loadDisplay", "createWindow", "raiseWindow", "setMode", "claimDisplay", "hideCursor",
          "createChain", "createTarget", "restore", "lock", "unlock", "show", "restore", "lock",
          "unlock", "show"}},
        {"windowed",
         false,
         {"loadDisplay", "createWindow", "raiseWindow", "claimDisplay", "createChain",
          "createTarget"}},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        FramePresenter p = presenterOver(r);
        EXPECT_EQ(presenterOpen(p, "", W, H, c.fullscreen), 1) << c.name;
        EXPECT_EQ(r.calls, c.want) << c.name;
        EXPECT_EQ(p.converter, copyPixels32) << c.name;
        EXPECT_TRUE(p.active) << c.name;
        presenterPresent(p, kFrame.data());
        const size_t mark = r.calls.size();
        presenterClose(p);
        EXPECT_EQ(r.since(mark), (Calls{"destroyChain", "releaseDisplay", "destroyWindow",
                                        "unregisterClass", "showCursor", "unloadDisplay"}))
            << c.name;
    }
}

// The display's bit count alone picks the converter; palette-indexed and unsupported formats
// make open fail. The clearing passes zero the mode's bytes of each row, before the format is
// asked for. A present converts once when the rows lie back to back, else once a row, each at
// its pitch, the gap after it untouched.
TEST(FramePresenter, FormatAndPitchDecideTheConverterCalls) {
    const struct {
        DisplayFormat format;
        int pitch;
        PixelConverter want;
        int wantCalls;
        std::string wantFailure = "(none)";
    } cases[] = {
        {{true, 32, 4}, 4096, copyPixels32, 480},
        {{true, 32, 4}, 2560, copyPixels32, 1},
        {{true, 24, 3}, 4096, convertPixels24, 480},
        {{true, 16, 2}, 4096, convertPixels16, 480},
        {{true, 15, 2}, 1280, convertPixels15, 1},
        {{false, 8, 1}, 4096, nullptr, 0, "the display's colours are palette-indexed"},
        {{true, 8, 1}, 4096, nullptr, 0, "no pixel converter for the display's format"},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        r.displayFormat = c.format;
        r.modeBits = c.format.bitCount;
        r.pitch = c.pitch;
        FramePresenter p = presenterOver(r);
        const int bits = c.format.bitCount, rowBytes = W * c.format.bytesPerPixel;
        EXPECT_EQ(presenterOpen(p, "", W, H, true), c.want ? 1 : 0) << bits << " bits";
        EXPECT_EQ(p.converter, c.want) << bits << " bits";
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure) << bits << " bits";
        for (int y = 0; y < H; ++y) {
            const uint8_t *row = &r.target[size_t(y) * r.pitch], *gap = row + rowBytes;
            ASSERT_TRUE(std::all_of(row, gap, [](uint8_t b) { return b == 0; }) &&
                        std::all_of(gap, row + r.pitch, [](uint8_t b) { return b == 0xEE; }))
                << bits << " bits: row " << y << " not cleared to exactly " << rowBytes << " bytes";
        }
        if (!c.want) continue;
        chosen = p.converter;
        p.converter = countingConverter;
        converterCalls = 0;
        presenterPresent(p, kFrame.data());
        EXPECT_EQ(converterCalls, c.wantCalls) << bits << " bits, pitch " << c.pitch;
        std::vector<uint8_t> want(rowBytes);
        for (int y = 0; y < H; y += 53) {
            const uint8_t *row = &r.target[size_t(y) * c.pitch];
            c.want(want.data(), &kFrame[size_t(y) * W], W);
            ASSERT_TRUE(
                std::equal(row, row + rowBytes, want.data()) &&
                std::all_of(row + rowBytes, row + c.pitch, [](uint8_t b) { return b == 0xEE; }))
                << bits << " bits, pitch " << c.pitch << ": row " << y << " or the gap after it";
        }
    }
}

// Each failing step stops open there with 0; a present then only waits for the display; close
// releases only what exists, and always unregisters the class and shows the cursor.
TEST(FramePresenter, FailedStepsAndCloseAfterThem) {
    const Calls afterWindow = {"releaseDisplay", "destroyWindow", "unregisterClass", "showCursor",
                               "unloadDisplay"};
    const Calls afterChain = plus({"destroyChain"}, afterWindow);
    const struct {
        const char *failAt;
        std::string wantFailure;
        Calls wantClose;
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
    for (const auto &c : cases) {
        RecordingDevice r;
        r.failAt = c.failAt;
        FramePresenter p = presenterOver(r);
        EXPECT_EQ(presenterOpen(p, "", W, H, true), 0) << c.failAt;
        EXPECT_EQ(r.calls.back(), c.failAt);
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure) << c.failAt;
        const size_t mark = r.calls.size();
        presenterPresent(p, kFrame.data());
        presenterClose(p);
        EXPECT_EQ(r.since(mark), plus({"waitFrame"}, c.wantClose)) << c.failAt;
    }
}

// After an open, window events and then presents: what reaches the device, and whether the
// frame was written. Full screen and inactive only waits for the display; active again, it
// restores; a window goes on presenting; a repaint shows a window's frame again only; a close
// request is kept for the show's poll.
TEST(FramePresenter, WindowEventsAndPresent) {
    using E = WindowEvent;
    const Calls shown = {"lock", "unlock", "show"};
    const struct {
        const char *name;
        bool fullscreen;
        std::vector<WindowEvent> events;
        int presents;
        Calls want;
        const char *failAt = "";
    } cases[] = {
        {"inactive full screen", true, {E::kDeactivated}, 2, {"waitFrame", "waitFrame"}},
        {"reactivated", true, {E::kDeactivated, E::kActivated}, 1, plus({"restore"}, shown)},
        {"inactive window", false, {E::kDeactivated}, 1, shown},
        {"failed lock", false, {}, 1, {"lock", "waitFrame"}, "lock"},
        {"window repaint", false, {E::kRepaint}, 0, {"show"}},
        {"full-screen repaint", true, {E::kRepaint}, 0, {}},
        {"close request", false, {E::kCloseRequested}, 0, {}},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        FramePresenter p = presenterOver(r);
        ASSERT_EQ(presenterOpen(p, "", W, H, c.fullscreen), 1) << c.name;
        const std::vector<uint8_t> opened = r.target;
        r.calls.clear();
        r.lost = c.fullscreen;  // the display may have been taken away meanwhile
        r.failAt = c.failAt;
        for (const WindowEvent e : c.events) presenterWindowEvent(p, e);
        for (int i = 0; i < c.presents; ++i) presenterPresent(p, kFrame.data());
        EXPECT_EQ(r.calls, c.want) << c.name;
        const bool written = r.count("unlock") > 0;
        const auto *want =
            written ? reinterpret_cast<const uint8_t *>(kFrame.data()) : opened.data();
        EXPECT_TRUE(std::equal(r.target.begin(), r.target.end(), want))
            << c.name << (written ? ": the frame not written" : ": the target written");
        EXPECT_EQ(p.quitRequested, c.events == std::vector{E::kCloseRequested}) << c.name;
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
        EXPECT_EQ(nextFrameDeadline(pace, c.now, 16), c.want) << c.name;
        EXPECT_EQ(pace.deadline, c.want) << c.name;
        EXPECT_TRUE(pace.started) << c.name;
    }
}
