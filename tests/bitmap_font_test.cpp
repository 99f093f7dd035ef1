// BitmapFont: the glyph table, the character map and putGlyph's strict bounds.
#include "font/bitmap_font.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int W = 640, H = 480;

// A 600 x rows font picture whose row 0 holds the given markers.
std::vector<Pixel> markedPicture(const std::vector<int> &markers, int rows = 19) {
    std::vector<Pixel> picture(600 * rows, 0);  // all ink below row 0
    for (int c = 0; c < 600; ++c) picture[c] = 255;
    for (int m : markers) picture[m] = 0;
    return picture;
}

// How many pixels are the glyph colour.
int redCount(const std::vector<Pixel> &target) {
    int n = 0;
    for (Pixel p : target) n += p == BitmapFont::kGlyphColour;
    return n;
}

}  // namespace

// Lower-case letters, then space, '-', ',', '.', '?'; any other character is the space.
TEST(BitmapFont, GlyphIndex) {
    const struct {
        char c;
        int want;
    } cases[] = {{'a', 0},   {'k', 10},        {'z', 25}, {' ', 26}, {'-', 27},
                 {',', 28},  {'.', 29},        {'?', 30}, {'A', 26}, {'!', 26},
                 {'\0', 26}, {char(0xE1), 26}, {'{', 26}, {'`', 26}};
    for (const auto &c : cases)
        EXPECT_EQ(BitmapFont::glyphIndex(c.c), c.want) << "character " << int(c.c);
}

// Glyph g of a picture all ink below row 0 is g + 1 columns wide: 'k' draws its marker and 18
// rows of 11 pixels, the space 18 rows of 27 for any character without a glyph. Drawn at (x, y),
// it stays in its box there, cut at the right edge and the bottom, never on row 0 or column 0.
TEST(BitmapFont, PutGlyphCutsTheGlyphAtTheEdges) {
    std::vector<int> markers;
    for (int g = 0, left = 0; g < 31; left += g + 2, ++g)
        markers.insert(markers.end(), {left, left + g + 1});
    const std::vector<Pixel> picture = markedPicture(markers);
    BitmapFont font;
    font.setSizes(W, H, 600, 19);
    ASSERT_EQ(font.init(picture.data()), 62);
    const struct {
        int x, y;
        char c;
        int want;
    } cases[] = {
        {100, 20, 'k', 1 + 18 * 11},    {50, 50, '!', 1 + 18 * 27}, {635, 20, 'k', 1 + 18 * 5},
        {634, 474, 'k', 1 + 5 * 6},     {100, 0, 'k', 18 * 11},     {0, 30, 'k', 18 * 10},
        {-5, -5, 'k', 13 * 5},          {639, 479, 'k', 1},         {INT32_MIN, 20, 'k', 0},
        {INT32_MAX, INT32_MAX, 'k', 0},
    };
    for (const auto &c : cases) {
        std::vector<Pixel> target(W * H, 0);
        font.putGlyph(c.x, c.y, c.c, picture.data(), target.data());
        EXPECT_EQ(redCount(target), c.want) << "'" << c.c << "' at " << c.x << ", " << c.y;
        const int w = BitmapFont::glyphIndex(c.c) + 1;
        for (int p = 0; p < W * H; ++p) {
            const int64_t dx = p % W - int64_t{c.x}, dy = p / W - int64_t{c.y};
            ASSERT_TRUE(target[p] == 0 || (dx >= 0 && dx < w && dy >= 0 && dy < 19))
                << "'" << c.c << "' at " << c.x << ", " << c.y << ": pixel " << p << " outside";
        }
    }
}

// Markers pair into glyphs, at most 31; each glyph runs from its left marker to its right one.
TEST(BitmapFont, MarkersArePairedAndCapped) {
    const struct {
        int markers, wantGlyphs;
    } cases[] = {{0, 0}, {1, 0}, {10, 5}, {61, 30}, {62, 31}, {80, 31}};
    for (const auto &c : cases) {
        std::vector<int> columns;
        for (int m = 0; m < c.markers; ++m) columns.push_back(m * 7);
        const std::vector<Pixel> picture = markedPicture(columns);
        BitmapFont font;
        font.setSizes(W, H, 600, 19);
        EXPECT_EQ(font.init(picture.data()), c.markers);
        ASSERT_EQ(font.glyphCount, c.wantGlyphs) << c.markers << " markers";
        if (c.wantGlyphs > 0) {
            const Glyph &last = font.glyphs[c.wantGlyphs - 1];
            EXPECT_EQ(last.start, (2 * c.wantGlyphs - 2) * 7);
            EXPECT_EQ(last.end, (2 * c.wantGlyphs - 1) * 7);
            EXPECT_EQ(last.character, uint8_t(BitmapFont::kCharacters[c.wantGlyphs - 1]));
        }
    }
}

// A glyph init did not find draws nothing; a short font picture is never read past its end.
TEST(BitmapFont, MissingGlyphsAndShortPictures) {
    const std::vector<Pixel> picture = markedPicture({0, 5, 10, 15}, 10);  // 'a' and 'b', 10 rows
    BitmapFont font;
    font.setSizes(W, H, 600, 10);
    font.init(picture.data());
    std::vector<Pixel> target(W * H, 0);
    font.putGlyph(100, 100, 'z', picture.data(), target.data());
    EXPECT_EQ(redCount(target), 0) << "'z' has no glyph";
    font.putGlyph(100, 100, 'b', picture.data(), target.data());
    EXPECT_EQ(redCount(target), 1 + 9 * 5) << "the marker, then 9 rows of 5 ink pixels";
}
