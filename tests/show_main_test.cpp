// The show's main routine over a scripted platform: start-up order, exit codes, the frame loop's
// passes, the text, gentle mode and the two ways the loop ends.
#include "show/show_main.h"

#include "fake_platform.h"
#include "font/bitmap_font.h"
#include "show/show_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

// Start-up and shutdown call by call, with the exit code: a wrong audio version shows the
// message, a dismissed dialog opens nothing, unticked boxes mute the sound before the presenter
// opens windowed; each frame takes the spectrum, presents and polls for Escape.
TEST(ShowMain, CallsHappenInTheShowsOrder) {
    const std::string start = "getVersion() init(1,44100,0) "
                              "streamCreateFile(qx-331b_051224.ogg,0,0,0) startDialog() ",
                      frames = "channelPlay(7,0) channelGetData(7,0x80000002) present() "
                               "escapePressed() channelGetData(7,0x80000002) present() "
                               "escapePressed() stop() free() close() ";
    const std::tuple<uint32_t, int, bool, int, size_t, std::string> cases[] = {
        {0x20400, 1, true, 0, 0,
         "getVersion() messageBox(BASS version 2.1 was not loaded,Incorrect BASS.DLL) "},
        {kAudioVersion, 0, true, 1, 0, start},
        {kAudioVersion, 1, true, 0, 4, start + "open(\"\",640,480,1) " + frames},
        {kAudioVersion, 1, false, 0, 4, start + "setVolume(0) open(\"\",640,480,0) " + frames},
    };
    for (const auto &[version, dialogResult, ticked, code, clockReads, calls] : cases) {
        FakePlatform fake;
        fake.version = version;
        fake.dialogResult = dialogResult;
        fake.dialogSettings = {ticked, ticked};
        fake.stream = 7;
        fake.clock = {1000, 1001, 1002, 141001};  // effect start, show start, two frames
        EXPECT_EQ(showMain(fake.platform()), code) << calls;
        EXPECT_EQ(fake.calls, calls);
        EXPECT_EQ(fake.clockReads, clockReads) << "two start times and one read per frame";
    }
}

// t_show reaching 140000 ends the loop after that frame is presented; Escape after the
// current frame.
TEST(ShowMain, LoopEnds) {
    const std::tuple<const char *, std::vector<uint32_t>, int, int> cases[] = {
        {"139999 goes on, 140000 is the last", {0, 0, 10, 139999, 140000, 140001}, -1, 3},
        {"past the end in one step", {0, 0, 200000}, -1, 1},
        {"Escape after the second frame", {0, 0, 10, 20, 30, 40}, 2, 2},
        {"Escape on the first frame", {0, 0, 10}, 1, 1},
        {"32-bit wrap", {0xFFFFFF00u, 0xFFFFFF00u, 0xFFFFFFF0u, 140000u - 0x100u}, -1, 2},
    };
    for (const auto &[name, clock, escapeOnFrame, presents] : cases) {
        FakePlatform fake;
        fake.clock = clock;
        fake.escapeOnFrame = escapeOnFrame;
        EXPECT_EQ(showMain(fake.platform()), 0) << name;
        EXPECT_EQ(fake.presents, presents) << name;
        EXPECT_EQ(fake.calls.substr(fake.calls.find("stop()")), "stop() free() close() ") << name;
    }
}

// Without a stream the spectrum stays zero: every row is fed back, the frame is letterboxed.
TEST(ShowMain, NoStreamFeedsEveryRowBackAndLetterboxesTheFrame) {
    FakePlatform fake;
    fake.clock = {0, 0, 5, 140000};  // first frame at t_effect 5: factor 6
    int checked = 0;
    fake.onPresent = [&](const Pixel *frame) {
        if (checked++) return;
        const ShowBuffers &b = showBuffers();
        for (int p = 0; p < kScreenPixels; ++p) {
            const bool bar = p < 60 * kScreenWidth || p >= 420 * kScreenWidth;
            ASSERT_EQ(bar ? frame[p] : b.picture[p], bar ? 0u : frame[p] * 6)
                << (bar ? "a frame bar's pixel " : "not fed back: pixel ") << p;
        }
    };
    showMain(fake.platform());
    EXPECT_EQ(checked, 2);
    for (float v : showBuffers().spectrum) ASSERT_EQ(v, 0.0f);
}

// A loud band 5 moves the letterbox to the picture buffer.
TEST(ShowMain, LoudBandFiveLetterboxesThePicture) {
    FakePlatform fake;
    fake.stream = 3;
    fake.fillSpectrum = [](float *spectrum) { spectrum[5] = 1.0f; };
    fake.clock = {0, 0, 5, 140000};
    fake.onPresent = [&fake](const Pixel *) {
        const ShowBuffers &b = showBuffers();
        EXPECT_FLOAT_EQ(b.bands[5], fake.presents == 1 ? 0.5f : 0.75f);
        for (int p = 0; p < 60 * kScreenWidth; ++p) ASSERT_EQ(b.picture[p], 0u) << "pixel " << p;
    };
    showMain(fake.platform());
    EXPECT_EQ(fake.presents, 2);
}

// No text at t_show 91000; from 91001 on, each glyph's left marker shows at x = 40 ... 200.
TEST(ShowMain, TextAppearsAfter91Seconds) {
    FakePlatform fake;
    fake.clock = {0, 0, 91000, 91001, 140000};
    std::vector<std::vector<Pixel>> rows;  // the text's row of each frame
    fake.onPresent = [&](const Pixel *frame) {
        rows.emplace_back(frame + kTextRow * kScreenWidth, frame + (kTextRow + 1) * kScreenWidth);
    };
    showMain(fake.platform());
    ASSERT_EQ(rows.size(), 3u);
    const Pixel red = BitmapFont::kGlyphColour;
    EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), red), 0) << "text at t_show 91000";
    for (size_t frame : {1u, 2u})
        for (int x : {40, 60, 80, 100, 140, 160, 180, 200})
            EXPECT_EQ(rows[frame][x], red) << "no glyph marker at x " << x << " in frame " << frame;
}

// Gentle mode presents its filter's picture, and the show's own frames stay what they are.
TEST(ShowMain, GentleModePresentsTheFilteredFrameAndLeavesTheFrameAlone) {
    std::vector<std::vector<Pixel>> frames[2];
    for (const bool gentle : {false, true}) {
        FakePlatform fake;
        fake.dialogSettings.gentle = gentle;
        fake.clock = {0, 0, 16, 33, 140000};
        fake.onPresent = [&](const Pixel *shown) {
            const ShowBuffers &b = showBuffers();
            EXPECT_EQ(shown, gentle ? b.gentle.shown : b.frame) << "gentle " << gentle;
            frames[gentle].emplace_back(b.frame, b.frame + kScreenPixels);
        };
        showMain(fake.platform());
    }
    EXPECT_EQ(frames[0].size(), 3u);
    EXPECT_TRUE(frames[0] == frames[1]) << "gentle mode changed the show's frames";
}

// Every run starts from zeroed buffers, whatever the previous run left.
TEST(ShowMain, EachRunStartsWithZeroedBuffers) {
    FakePlatform first;
    first.clock = {0, 0, 140000};
    showMain(first.platform());
    FakePlatform second;
    second.dialogResult = 0;
    showMain(second.platform());
    const ShowBuffers &b = showBuffers();
    for (Pixel p : b.frame) ASSERT_EQ(p, 0u);
    for (float v : b.bands) ASSERT_EQ(v, 0.0f);
}
