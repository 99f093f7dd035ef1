// The show's frame passes: feedback, letterbox, band smoothing, the pass choices and the text.
#include "show/frame_passes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// A 640x480 buffer of one value.
std::vector<Pixel> screen(Pixel fill) {
    return std::vector<Pixel>(kScreenPixels, fill);
}
}  // namespace

// (t mod 32) + 1, the remainder taking the sign of t.
TEST(FramePasses, FeedbackFactor) {
    const struct {
        int32_t t, want;
    } cases[] = {{0, 1},      {1, 2},  {31, 32}, {32, 1},   {63, 32},
                 {140000, 1}, {-1, 0}, {-33, 0}, {-31, -30}};
    for (const auto &c : cases) EXPECT_EQ(feedbackFactor(c.t), c.want) << "t_effect " << c.t;
}

// picture = frame * factor, 32-bit and wrapping, on every row or on the even rows only.
TEST(FramePasses, ScaleFeedback) {
    const struct {
        int32_t t;
        bool allRows;
        Pixel factor;
    } cases[] = {{1, true, 2}, {31, false, 32}, {32, true, 1}};
    auto frame = screen(0);
    for (int p = 0; p < kScreenPixels; ++p) frame[p] = 0x9E3779B9u * p;
    for (const auto &c : cases) {
        auto picture = screen(0xDEAD);
        scaleFeedback(frame.data(), picture.data(), c.t, c.allRows);
        for (int p = 0; p < kScreenPixels; ++p) {
            const bool scaled = c.allRows || (p / kScreenWidth) % 2 == 0;
            ASSERT_EQ(picture[p], scaled ? frame[p] * c.factor : 0xDEADu)
                << "t_effect " << c.t << ", pixel " << p;
        }
    }
}

// Rows 0-59 and 420-479 are zeroed, the rows between kept.
TEST(FramePasses, LetterboxClearsExactlyTheBars) {
    auto target = screen(0x123456);
    clearLetterbox(target.data());
    for (int y = 0; y < kScreenHeight; ++y) {
        const bool bar = y < 60 || y >= 420;
        EXPECT_EQ(target[y * kScreenWidth], bar ? 0u : 0x123456u) << "row " << y << " left";
        EXPECT_EQ(target[y * kScreenWidth + 639], bar ? 0u : 0x123456u) << "row " << y << " right";
    }
}

// The pass choices at and around their limits, each in its own precision.
TEST(FramePasses, PassChoices) {
    const struct {
        float slot20, slot300, band10, band5;
        bool allRows, onPicture;
    } cases[] = {
        {0, 0, 0, 0, true, false},               // silence
        {0.00001f, 0, 0, 0, false, false},       // the limit itself is not below it
        {0.0000099f, 0, 0, 0, true, false},      //
        {1, 0.0012f, 0, 0, true, false},         // 0.0012f * 50 is 0.0600000028 in double
        {1, 0.0011f, 0.0049f, 0, false, false},  // 0.0598999998
        {1, 0, 0.06f, 0, false, false},          // 0.06f is just below the double 0.06
        {1, 0, 0.0601f, 0.04f, true, false},     // 0.04f is just below the double 0.04
        {1, 0, 0, 0.0401f, false, true},         //
    };
    for (const auto &c : cases) {
        float spectrum[1024] = {}, bands[1024] = {};
        spectrum[20] = c.slot20;
        spectrum[300] = c.slot300;
        bands[10] = c.band10;
        bands[5] = c.band5;
        EXPECT_EQ(feedbackAllRows(spectrum, bands), c.allRows)
            << "slot20 " << c.slot20 << " slot300 " << c.slot300 << " band10 " << c.band10;
        EXPECT_EQ(letterboxOnPicture(bands), c.onPicture) << "band5 " << c.band5;
    }
}

// Only the three bands the show reads are averaged with the spectrum.
TEST(FramePasses, SmoothBandsTouchesOnlyFiveTenSixteen) {
    float spectrum[1024], bands[1024];
    for (int k = 0; k < 1024; ++k) {
        spectrum[k] = 1.0f;
        bands[k] = 0.5f;
    }
    smoothBands(bands, spectrum);
    for (int k = 0; k < 1024; ++k)
        EXPECT_EQ(bands[k], (k == 5 || k == 10 || k == 16) ? 0.75f : 0.5f) << "band " << k;
}

// trunc(band * 260 + offset), INT32_MIN out of range.
TEST(FramePasses, TextColumns) {
    const struct {
        float band;
        int offset;
        int32_t want;
    } cases[] = {{0, 40, 40},     {0.1f, 40, 66},  {0.5f, 200, 330},
                 {-0.1f, 0, -26}, {-0.001f, 0, 0}, {1e30f, 40, INT32_MIN}};
    for (const auto &c : cases)
        EXPECT_EQ(textColumn(c.band, c.offset), c.want)
            << "band " << c.band << " offset " << c.offset;
}
