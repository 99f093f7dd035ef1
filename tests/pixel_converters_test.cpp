// The pixel converters: every format on telling values, and exact spans. Which bit count gets which
// is checked through the presenter's open and the SDL2 display's formats.
#include "display/pixel_converters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

// Each value through every converter, written at an odd address to prove no alignment is assumed.
TEST(PixelConverters, TellingValues) {
    const struct {
        Pixel v;
        uint8_t b24[3];
        uint16_t w16, w15;
        uint8_t rgba[4];
    } cases[] = {
        {0x00FFFFFF, {0xFF, 0xFF, 0xFF}, 0xFFFF, 0x7FFF, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0x00123456, {0x56, 0x34, 0x12}, 0x11AA, 0x08CA, {0x12, 0x34, 0x56, 0xFF}},
        {0xFF123456, {0x56, 0x34, 0x12}, 0x11AA, 0x08CA, {0x12, 0x34, 0x56, 0xFF}},
        {0x00FF0000, {0x00, 0x00, 0xFF}, 0xF800, 0x7C00, {0xFF, 0x00, 0x00, 0xFF}},
        {0x0000FF00, {0x00, 0xFF, 0x00}, 0x07E0, 0x03E0, {0x00, 0xFF, 0x00, 0xFF}},
        {0x000000FF, {0xFF, 0x00, 0x00}, 0x001F, 0x001F, {0x00, 0x00, 0xFF, 0xFF}},
        {0x00000400, {0x00, 0x04, 0x00}, 0x0020, 0x0000, {0x00, 0x04, 0x00, 0xFF}},
        {0x00070307, {0x07, 0x03, 0x07}, 0x0000, 0x0000, {0x07, 0x03, 0x07, 0xFF}},
        {0x00808080, {0x80, 0x80, 0x80}, 0x8410, 0x4210, {0x80, 0x80, 0x80, 0xFF}},
    };
    for (const auto &c : cases) {
        uint8_t out[8];
        copyPixels32(out + 1, &c.v, 1);
        uint32_t w32;
        std::memcpy(&w32, out + 1, 4);
        EXPECT_EQ(w32, c.v) << std::hex << "32 bits of 0x" << c.v;

        std::memset(out, 0xAA, sizeof out);
        convertPixels24(out + 1, &c.v, 1);
        EXPECT_EQ(std::memcmp(out + 1, c.b24, 3), 0) << std::hex << "24 bits of 0x" << c.v;
        EXPECT_EQ(out[4], 0xAA) << "24 bits: the byte after the pixel was written";

        convertPixels16(out + 1, &c.v, 1);
        EXPECT_EQ(out[1] | out[2] << 8, c.w16) << std::hex << "16 bits of 0x" << c.v;
        convertPixels15(out + 1, &c.v, 1);
        EXPECT_EQ(out[1] | out[2] << 8, c.w15) << std::hex << "15 bits of 0x" << c.v;

        convertPixelsRgba(out + 1, &c.v, 1);
        EXPECT_EQ(std::memcmp(out + 1, c.rgba, 4), 0) << std::hex << "RGBA of 0x" << c.v;
    }
}

// A 641-pixel row (no multiple of a vector): every converter writes exactly count x
// bytes-per-pixel bytes, in order; no bit count past these has a converter. RGBA also in place.
TEST(PixelConverters, RowSpansAreExact) {
    constexpr int kCount = 641;
    EXPECT_EQ(requestConverter(64), nullptr);
    EXPECT_EQ(requestConverter(24, true), nullptr);
    std::vector<Pixel> row(kCount);
    for (int i = 0; i < kCount; ++i) row[i] = 0x9E3779B9u * (i + 1);
    for (auto [bits, rgba] :
         {std::pair{32, false}, {32, true}, {24, false}, {16, false}, {15, false}}) {
        const int bytes = converterBytesPerPixel(bits);
        const PixelConverter convert = requestConverter(bits, rgba);
        std::vector<uint8_t> out(kCount * 4 + 16, 0x5C);
        convert(out.data(), row.data(), kCount);
        EXPECT_EQ(out[kCount * bytes], 0x5C) << bits << " bits wrote past the row";
        std::vector<uint8_t> one(4);
        for (int i = 0; i < kCount; i += 37) {
            convert(one.data(), &row[i], 1);
            ASSERT_EQ(std::memcmp(&out[i * bytes], one.data(), bytes), 0)
                << bits << " bits, pixel " << i << " differs from a one-pixel conversion";
        }
        if (!rgba) continue;
        std::vector<Pixel> inPlace = row;
        convert(inPlace.data(), inPlace.data(), kCount);
        EXPECT_EQ(std::memcmp(inPlace.data(), out.data(), kCount * 4), 0) << "RGBA in place";
    }
}
