// The show's frame passes: feedback, band smoothing, the pass choices and the text. The letterbox's
// bars are checked through the main routine, pixel by pixel.
#include "show/frame_passes.h"

#include <gtest/gtest.h>

#include <vector>

// (t mod 32) + 1, the remainder taking the sign of t.
TEST(FramePasses, FeedbackFactor) {
    const struct {
        int32_t t, want;
    } cases[] = {{0, 1},      {1, 2},  {31, 32}, {32, 1},   {63, 32},
                 {140000, 1}, {-1, 0}, {-33, 0}, {-31, -30}};
    for (const auto &c : cases) EXPECT_EQ(feedbackFactor(c.t), c.want) << "t_effect " << c.t;
}

// picture = frame * factor, 32-bit and wrapping, on the even rows only when asked; the odd rows
// keep what they held. The main routine's tests see every row fed back.
TEST(FramePasses, ScaleFeedbackOnTheEvenRows) {
    std::vector<Pixel> frame(kScreenPixels), picture(kScreenPixels, 0xDEAD);
    for (int p = 0; p < kScreenPixels; ++p) frame[p] = 0x9E3779B9u * p;
    scaleFeedback(frame.data(), picture.data(), 31, false);
    for (int p = 0; p < kScreenPixels; ++p)
        ASSERT_EQ(picture[p], (p / kScreenWidth) % 2 == 0 ? frame[p] * 32 : 0xDEADu) << p;
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
    std::vector<float> spectrum(1024, 1.0f), bands(1024, 0.5f);
    smoothBands(bands.data(), spectrum.data());
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
