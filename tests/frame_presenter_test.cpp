// FramePresenter over a recording display device: open's steps and failures, the converter
// and pitch rules, activation, lost surfaces and close.
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

// A 24-bit mode: convertPixels24, and clearing passes of 1920 bytes per row.
TEST(FramePresenter, TwentyFourBitDisplay) {
    RecordingDevice r;
    r.modeBits = 24;
    r.displayFormat = {true, 24, 3};
    r.pitch = 2048;
    FramePresenter p = presenterOver(r);
    ASSERT_EQ(presenterOpen(p, "", W, H, true), 1);
    EXPECT_EQ(p.converter, convertPixels24);
    for (int y = 0; y < H; ++y) {
        const uint8_t *row = &r.target[size_t(y) * 2048];
        ASSERT_TRUE(std::all_of(row, row + 1920, [](uint8_t b) { return b == 0; })) << "row " << y;
        ASSERT_TRUE(std::all_of(row + 1920, row + 2048, [](uint8_t b) { return b == 0xEE; }))
            << "row " << y << " cleared past width x 3 bytes";
    }
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
// written as 5-6-5. Palette-indexed and unsupported formats make open fail.
TEST(FramePresenter, FormatDecidesTheConverterOrFailure) {
    const struct {
        DisplayFormat format;
        int wantOpen;
        PixelConverter want;
    } cases[] = {
        {{true, 32, 4}, 1, copyPixels32},    {{true, 24, 3}, 1, convertPixels24},
        {{true, 16, 2}, 1, convertPixels16}, {{true, 15, 2}, 1, convertPixels15},
        {{false, 8, 1}, 0, nullptr},         {{true, 8, 1}, 0, nullptr},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        r.displayFormat = c.format;
        FramePresenter p = presenterOver(r);
        EXPECT_EQ(presenterOpen(p, "", W, H, true), c.wantOpen) << c.format.bitCount << " bits";
        EXPECT_EQ(p.converter, c.want) << c.format.bitCount << " bits";
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
        std::vector<std::string> wantClose;
    } cases[] = {
        {"loadDisplay", {"unregisterClass", "showCursor"}},
        {"createWindow", {"releaseDisplay", "unregisterClass", "showCursor", "unloadDisplay"}},
        {"setMode", afterWindow},
        {"claimDisplay", afterWindow},
        {"createChain", afterWindow},
        {"createTarget", afterChain},
    };
    const std::vector<Pixel> frame = testFrame();
    for (const auto &c : cases) {
        RecordingDevice r;
        r.failAt = c.failAt;
        FramePresenter p = presenterOver(r);
        EXPECT_EQ(presenterOpen(p, "", W, H, true), 0) << c.failAt;
        EXPECT_EQ(r.calls.back(), c.failAt);
        const size_t afterOpen = r.calls.size();
        presenterPresent(p, frame.data());
        EXPECT_EQ(r.calls.size(), afterOpen) << "present after a failed open touched the device";
        presenterClose(p);
        EXPECT_EQ(std::vector<std::string>(r.calls.begin() + afterOpen, r.calls.end()), c.wantClose)
            << c.failAt;
    }
}

// The cursor is hidden once by a full-screen open and shown once by close.
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

// Full screen and inactive: present touches nothing; active again, it restores and shows.
TEST(FramePresenter, InactiveFullScreenSkipsFramesThenRestores) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    ASSERT_EQ(presenterOpen(p, "", W, H, true), 1);
    const std::vector<Pixel> frame = testFrame();
    r.calls.clear();
    presenterWindowEvent(p, WindowEvent::kDeactivated);
    r.lost = true;  // the display was taken away meanwhile
    presenterPresent(p, frame.data());
    EXPECT_TRUE(r.calls.empty()) << "an inactive full-screen present touched the device";
    presenterWindowEvent(p, WindowEvent::kActivated);
    presenterPresent(p, frame.data());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"restore", "lock", "unlock", "show"}));
    EXPECT_EQ(std::memcmp(r.target.data(), frame.data(), frame.size() * 4), 0);
}

TEST(FramePresenter, InactiveWindowGoesOnPresenting) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    ASSERT_EQ(presenterOpen(p, "", W, H, false), 1);
    presenterWindowEvent(p, WindowEvent::kDeactivated);
    r.calls.clear();
    const std::vector<Pixel> frame = testFrame();
    presenterPresent(p, frame.data());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"lock", "unlock", "show"}));
}

// A failed lock writes nothing and shows nothing.
TEST(FramePresenter, FailedLockWritesNothing) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    ASSERT_EQ(presenterOpen(p, "", W, H, false), 1);
    r.failAt = "lock";
    r.calls.clear();
    const std::vector<Pixel> frame = testFrame();
    presenterPresent(p, frame.data());
    EXPECT_EQ(r.calls, std::vector<std::string>{"lock"});
    EXPECT_EQ(r.target[0], 0xEE);
}

// A repaint shows a window's latest frame again; full screen leaves it to the next present,
// and nothing is shown before a successful open.
TEST(FramePresenter, RepaintShowsAWindowAgainOnly) {
    for (const bool fullscreen : {false, true}) {
        RecordingDevice r;
        FramePresenter p = presenterOver(r);
        presenterWindowEvent(p, WindowEvent::kRepaint);
        EXPECT_TRUE(r.calls.empty()) << "before open";
        ASSERT_EQ(presenterOpen(p, "", W, H, fullscreen), 1);
        r.calls.clear();
        presenterWindowEvent(p, WindowEvent::kRepaint);
        EXPECT_EQ(r.calls,
                  fullscreen ? std::vector<std::string>{} : std::vector<std::string>{"show"})
            << (fullscreen ? "full screen" : "windowed");
    }
}

// The close request is kept for the show's poll; it does not close anything by itself.
TEST(FramePresenter, CloseRequestIsKept) {
    RecordingDevice r;
    FramePresenter p = presenterOver(r);
    presenterOpen(p, "", W, H, false);
    r.calls.clear();
    presenterWindowEvent(p, WindowEvent::kCloseRequested);
    EXPECT_TRUE(p.quitRequested);
    EXPECT_TRUE(r.calls.empty());
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
    EXPECT_EQ(r.calls.back(), "unloadDisplay");
}
