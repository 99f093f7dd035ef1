// FramePresenter over a recording display device: open's steps and failures, the converter
// and pitch rules, activation, lost surfaces, the wait for the display when nothing is shown,
// and close; then the pace of those waits.
#include "display/frame_presenter.h"

#include "fake_platform.h"
#include "show/presenter_service.h"
#include "show/show_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

// A display device that records its calls and keeps its target in memory.
struct RecordingDevice {
    DisplayFormat displayFormat = {true, 32, 4};  // setMode takes its bit count
    int pitch = W * 4;
    std::string failAt;  // the call that fails, if any
    bool lost = false;
    std::vector<uint8_t> target = std::vector<uint8_t>(4096 * H, 0xEE);  // any pitch to 4096
    std::string calls;  // each call's name and a space

    // The device behind a call's user pointer.
    static RecordingDevice &self(void *u) { return *static_cast<RecordingDevice *>(u); }
    // Logs the call; false for the one that fails.
    bool step(const std::string &name) {
        calls += name + " ";
        return name != failAt;
    }
    // The table the presenter drives, every step logged.
    PresenterDevice device() {
        return {
            .user = this,
            .loadDisplay = [](void *u) { return self(u).step("loadDisplay"); },
            .createWindow = [](void *u, auto...) { return self(u).step("createWindow"); },
            .raiseWindow = [](void *u) { self(u).step("raiseWindow"); },
            .setMode =
                [](void *u, auto...) {
                    return self(u).step("setMode") ? self(u).displayFormat.bitCount : 0;
                },
            .claimDisplay = [](void *u, auto...) { return self(u).step("claimDisplay"); },
            .showCursor = [](void *u, bool on) { self(u).step(on ? "showCursor" : "hideCursor"); },
            .createChain = [](void *u) { return self(u).step("createChain"); },
            .createTarget = [](void *u, auto...) { return self(u).step("createTarget"); },
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

// Counts converter calls, converting with the converter open chose.
PixelConverter chosen = nullptr;
int converterCalls = 0;
void countingConverter(void *destination, const Pixel *source, int count) {
    ++converterCalls;
    chosen(destination, source, count);
}

// A frame of varied pixels.
const std::vector<Pixel> kFrame = [] {
    std::vector<Pixel> frame(W * H);
    for (int i = 0; i < W * H; ++i) frame[i] = 0x00010203u * (i % 97);
    return frame;
}();

// What open calls in full screen and in a window when every step succeeds.
const std::string kFullScreenOpen =
    "loadDisplay createWindow raiseWindow setMode claimDisplay hideCursor createChain "
    "createTarget restore lock unlock show restore lock unlock show ";
const std::string kWindowOpen =
    "loadDisplay createWindow raiseWindow claimDisplay createChain createTarget ";

}  // namespace

// The display's bit count and byte order pick the converter; palette-indexed and unsupported
// formats make open fail. The clearing passes zero the mode's bytes of each row, before the format
// is asked for. A present converts once when the rows lie back to back, else once a row, each at
// its pitch, the gap after it untouched.
TEST(FramePresenter, FormatAndPitchDecideTheConverterCalls) {
    const struct {
        DisplayFormat format;
        int pitch, wantCalls;  // the target's row bytes; a present's converter calls
        PixelConverter want;
        std::string wantFailure = "(none)";
    } cases[] = {
        {{true, 32, 4}, 4096, 480, copyPixels32},
        {{true, 32, 4}, 2560, 1, copyPixels32},
        {{true, 32, 4, true}, 2560, 1, convertPixelsRgba},
        {{true, 24, 3}, 4096, 480, convertPixels24},
        {{true, 16, 2}, 4096, 480, convertPixels16},
        {{true, 15, 2}, 1280, 1, convertPixels15},
        {{false, 8, 1}, 4096, 0, nullptr, "the display's colours are palette-indexed"},
        {{true, 8, 1}, 4096, 0, nullptr, "no pixel converter for the display's format"},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        r.displayFormat = c.format;
        r.pitch = c.pitch;
        FramePresenter p{r.device()};
        const int bits = c.format.bitCount, rowBytes = W * c.format.bytesPerPixel;
        EXPECT_EQ(presenterOpen(p, "", W, H, true), c.want ? 1 : 0) << bits << " bits";
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure) << bits << " bits";
        std::vector<uint8_t> want(rowBytes);  // zeros: cleared
        // Row y's first rowBytes bytes are want's, the gap after them up to the pitch untouched.
        auto rowHoldsWant = [&](int y) {
            const uint8_t *row = &r.target[size_t(y) * r.pitch];
            return std::equal(want.begin(), want.end(), row) &&
                   std::all_of(row + rowBytes, row + r.pitch, [](uint8_t b) { return b == 0xEE; });
        };
        for (int y = 0; y < H; ++y) ASSERT_TRUE(rowHoldsWant(y)) << bits << " bits: row " << y;
        if (!c.want) continue;
        chosen = p.converter;
        p.converter = countingConverter;
        converterCalls = 0;
        presenterPresent(p, kFrame.data());
        EXPECT_EQ(converterCalls, c.wantCalls) << bits << " bits, pitch " << c.pitch;
        for (int y = 0; y < H; y += 53) {
            c.want(want.data(), &kFrame[size_t(y) * W], W);
            ASSERT_TRUE(rowHoldsWant(y)) << bits << " bits, pitch " << c.pitch << ": row " << y;
        }
    }
}

// Open's steps in order: full screen adds the mode, the hidden cursor and two clearing passes. A
// failing step stops open there with 0, and a present then only waits for the display. Close
// releases only what exists, and always unregisters the class and shows the cursor.
TEST(FramePresenter, OpenPresentAndClose) {
    const std::string closed =
        "destroyChain releaseDisplay destroyWindow unregisterClass showCursor unloadDisplay ";
    const std::string afterWindow =
        "waitFrame releaseDisplay destroyWindow unregisterClass showCursor unloadDisplay ";
    const struct {
        std::string failAt;  // empty: none fails
        bool fullscreen;
        std::string wantFailure, want;  // the failure, the present's and the close's calls
    } cases[] = {
        {"", true, "(none)", "lock unlock show " + closed},
        {"", false, "(none)", "lock unlock show " + closed},
        {"loadDisplay", true, "no display", "waitFrame unregisterClass showCursor "},
        {"createWindow", true, "the window could not be made",
         "waitFrame releaseDisplay unregisterClass showCursor unloadDisplay "},
        {"setMode", true, "no full-screen display mode", afterWindow},
        {"claimDisplay", true, "the display could not be claimed", afterWindow},
        {"createChain", true, "nothing to show frames through", afterWindow},
        {"createTarget", true, "no surface for the frames", "waitFrame " + closed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.failAt.empty() ? (c.fullscreen ? "full screen" : "windowed") : c.failAt);
        RecordingDevice r;
        r.failAt = c.failAt;
        FramePresenter p{r.device()};
        EXPECT_EQ(presenterOpen(p, "", W, H, c.fullscreen), c.failAt.empty() ? 1 : 0);
        // every step's call, or those up to the failing one
        const std::string opened = c.fullscreen ? kFullScreenOpen : kWindowOpen;
        const size_t end =
            c.failAt.empty() ? opened.size() : opened.find(c.failAt) + c.failAt.size() + 1;
        EXPECT_EQ(r.calls, opened.substr(0, end));
        EXPECT_EQ(p.failure ? p.failure : "(none)", c.wantFailure);
        r.calls.clear();
        presenterPresent(p, kFrame.data());
        presenterClose(p);
        EXPECT_EQ(r.calls, c.want);
    }
}

// After an open, window events and then presents: what reaches the device, and whether the
// frame was written. Full screen and inactive only waits for the display; active again, it
// restores; a window goes on presenting; a repaint shows a window's frame again only; a close
// request is kept for the show's poll.
TEST(FramePresenter, WindowEventsAndPresent) {
    using E = WindowEvent;
    const struct {
        const char *name;
        bool fullscreen;
        std::vector<WindowEvent> events;
        int presents;
        const char *want;
        const char *failAt = "";
    } cases[] = {
        {"inactive full screen", true, {E::kDeactivated}, 2, "waitFrame waitFrame "},
        {"reactivated", true, {E::kDeactivated, E::kActivated}, 1, "restore lock unlock show "},
        {"inactive window", false, {E::kDeactivated}, 1, "lock unlock show "},
        {"failed lock", false, {}, 1, "lock waitFrame ", "lock"},
        {"window repaint", false, {E::kRepaint}, 0, "show "},
        {"full-screen repaint", true, {E::kRepaint}, 0, ""},
        {"close request", false, {E::kCloseRequested}, 0, ""},
    };
    for (const auto &c : cases) {
        RecordingDevice r;
        FramePresenter p{r.device()};
        ASSERT_EQ(presenterOpen(p, "", W, H, c.fullscreen), 1) << c.name;
        const std::vector<uint8_t> opened = r.target;
        r.calls.clear();
        r.lost = c.fullscreen;  // the display may have been taken away meanwhile
        r.failAt = c.failAt;
        for (const WindowEvent e : c.events) presenterWindowEvent(p, e);
        for (int i = 0; i < c.presents; ++i) presenterPresent(p, kFrame.data());
        EXPECT_EQ(r.calls, c.want) << c.name;
        EXPECT_EQ(r.target != opened, r.calls.find("unlock") != std::string::npos)
            << c.name << ": the target written other than between lock and unlock";
        EXPECT_EQ(p.quitRequested, c.events == std::vector{E::kCloseRequested}) << c.name;
    }
    RecordingDevice r;
    FramePresenter p{r.device()};
    presenterWindowEvent(p, WindowEvent::kRepaint);
    EXPECT_TRUE(r.calls.empty()) << "a repaint before open reached the device";
}

// A palette-indexed display: open fails after its clearing passes, each frame only waits for the
// display, and the show still runs to its end and closes the presenter.
TEST(FramePresenter, ShowRunsToItsEndOnAPaletteDisplay) {
    RecordingDevice r;
    r.displayFormat = {false, 8, 1};
    FramePresenter presenter{r.device()};
    FakePlatform fake;
    fake.clock = {0, 0, 1000, 70000, 140000};
    ShowPlatform platform = fake.platform();
    platform.presenter = presenterService(&presenter);
    EXPECT_EQ(showMain(platform), 0);
    EXPECT_EQ(fake.clockReads, 5u) << "every frame up to 140 s ran";
    EXPECT_TRUE(r.calls.ends_with("show waitFrame waitFrame waitFrame destroyChain releaseDisplay "
                                  "destroyWindow unregisterClass showCursor unloadDisplay "))
        << r.calls;
}

// Waits keep a steady pace after the latest deadline; the first wait, a late one and one after
// the clock went back (the next deadline more than a frame ahead) start again from now.
TEST(FramePace, DeadlinesKeepThePace) {
    const struct {
        const char *name;
        FramePace pace;
        int64_t now, want;
    } cases[] = {
        {"first wait", {0, false}, 1000, 1016},
        {"on time", {1016, true}, 1016, 1032},
        {"the clock went back a little", {1016, true}, 1010, 1026},
        {"exactly a frame late", {1016, true}, 1032, 1048},
        {"the clock wrapped", {4294967290, true}, 3, 19},
    };
    for (const auto &c : cases) {
        FramePace pace = c.pace;
        EXPECT_EQ(nextFrameDeadline(pace, c.now, 16), c.want) << c.name;
        EXPECT_EQ(pace.deadline, c.want) << c.name;
        EXPECT_TRUE(pace.started) << c.name;
    }
}
