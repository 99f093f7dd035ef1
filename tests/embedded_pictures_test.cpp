// The four embedded pictures: their PCX format, and what decoding them gives.
#include "font/bitmap_font.h"
#include "pictures/embedded_files.h"
#include "pictures/pcx_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

namespace {

// One embedded file and its picture size.
struct Expected {
    EmbeddedPicture id;
    int width, height;
};
constexpr Expected kExpected[] = {
    {kPicture0, 640, 480}, {kPicture1, 640, 480}, {kPicture2, 640, 480}, {kFontPicture, 600, 19}};

// Decodes an embedded picture; the stream must end exactly where the palette trailer begins.
std::vector<Pixel> decoded(const Expected &e) {
    const EmbeddedFile &file = kEmbeddedFiles[e.id];
    std::vector<Pixel> out(size_t(e.width) * e.height);
    auto stream = openMemoryStream(file.data, file.size);
    decodePcx(stream.get(), e.width, e.height, out.data());
    EXPECT_EQ(stream->position, file.size - 769)
        << file.name << ": pixel data and trailer disagree";
    return out;
}

}  // namespace

// PCX 3.0, run-length encoded, one plane of 8 bits, greyscale, of the picture's size, with a
// palette trailer whose entry i is grey i.
TEST(EmbeddedPictures, AreGreyscalePcxFilesOfTheirSize) {
    for (const Expected &e : kExpected) {
        const EmbeddedFile &file = kEmbeddedFiles[e.id];
        ASSERT_GT(file.size, 128 + 769) << file.name;
        const uint8_t *h = file.data;
        const int xmax = e.width - 1, ymax = e.height - 1;
        // manufacturer, version, encoding, bits per pixel, xmin, ymin, xmax, ymax
        EXPECT_EQ(std::vector<int>(h, h + 12),
                  (std::vector<int>{0x0A, 5, 1, 8, 0, 0, 0, 0, xmax & 255, xmax >> 8, ymax & 255,
                                    ymax >> 8}))
            << file.name << ": the header up to ymax";
        // planes, bytes per line, palette information (greyscale)
        EXPECT_EQ(std::vector<int>(h + 65, h + 70),
                  (std::vector<int>{1, e.width & 255, e.width >> 8, 2, 0}))
            << file.name << ": planes, bytes per line and palette information";
        const uint8_t *trailer = file.data + file.size - 769;
        ASSERT_EQ(trailer[0], 0x0C) << file.name << " palette marker";
        for (int i = 0; i < 256 * 3; ++i)
            ASSERT_EQ(trailer[1 + i], i / 3) << file.name << " palette entry " << i / 3;
    }
}

// What the pictures show: line art on white, its inverse, and a dark picture of the full range.
TEST(EmbeddedPictures, DecodeToTheirPictures) {
    const std::vector<Pixel> p0 = decoded(kExpected[0]), p1 = decoded(kExpected[1]),
                             p2 = decoded(kExpected[2]);

    const double whiteShare = double(std::count(p0.begin(), p0.end(), 255u)) / p0.size();
    EXPECT_GE(whiteShare, 0.65) << "picture 0 is line art on a white ground";
    EXPECT_LE(whiteShare, 0.75);
    EXPECT_GT(std::set<Pixel>(p0.begin(), p0.end()).size(), 64u)
        << "picture 0's lines have grey anti-aliased edges";

    for (size_t i = 0; i < p0.size(); ++i)
        ASSERT_EQ(p1[i], 255 - p0[i]) << "picture 1 is picture 0 inverted, value " << i;

    EXPECT_LT(std::accumulate(p2.begin(), p2.end(), 0.0) / p2.size(), 100)
        << "picture 2 is dark on average";
    EXPECT_GE(std::set<Pixel>(p2.begin(), p2.end()).size(), 200u)
        << "picture 2 uses the full range";
}

// Row 0 of the font picture: 62 markers, 31 glyphs, ink only between a glyph's markers and none
// in the space.
TEST(EmbeddedPictures, FontPictureHas31MarkedGlyphs) {
    const std::vector<Pixel> font = decoded(kExpected[3]);
    BitmapFont f;
    f.setSizes(640, 480, 600, 19);
    EXPECT_EQ(f.init(font.data()), 62);
    ASSERT_EQ(f.glyphCount, 31);
    std::vector<bool> inked(600);  // the columns between a glyph's markers, but the space's
    for (int g = 0; g < 31; ++g)
        for (int c = f.glyphs[g].start + 1; c < f.glyphs[g].end; ++c) inked[c] = g != 26;
    for (int r = 1; r < 19; ++r)
        for (int c = 0; c < 600; ++c)
            ASSERT_TRUE(font[r * 600 + c] != 0 || inked[c]) << "ink at " << c << ", " << r;
    EXPECT_GE(f.glyphs[26].end - f.glyphs[26].start, 4) << "the space has a width";
}
