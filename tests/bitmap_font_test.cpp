// BitmapFont: the glyph table, the character map and putGlyph's strict bounds.
#include "font/bitmap_font.h"
#include "show/show_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int W = 640, H = 480;

// The show's font, decoded and set up as the show does.
struct ShowFont {
    std::vector<Pixel> picture = std::vector<Pixel>(600 * 19);
    BitmapFont font;
    ShowFont() { loadShowFont(picture.data(), font, W, H); }
    // A cleared screen with one character drawn.
    std::vector<Pixel> draw(int x, int y, char c) const {
        std::vector<Pixel> target(W * H, 0);
        font.putGlyph(x, y, c, picture.data(), target.data());
        return target;
    }
    // What putGlyph must give: red at the glyph's 0 pixels, only where 0 < x < W and 0 < y < H.
    std::vector<Pixel> expected(int x, int y, char c) const {
        std::vector<Pixel> target(W * H, 0);
        const Glyph &g = font.glyphs[BitmapFont::glyphIndex(c)];
        for (int r = 0; r < 19; ++r)
            for (int k = 0; k < g.end - g.start; ++k) {
                const int64_t row = int64_t(y) + r, column = int64_t(x) + k;
                if (picture[r * 600 + g.start + k] == 0 && row > 0 && row < H && column > 0 &&
                    column < W)
                    target[row * W + column] = BitmapFont::kGlyphColour;
            }
        return target;
    }
};

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

// putGlyph against the rule: red on the glyph's 0 pixels, cut at the right edge and the bottom,
// never on row 0 or column 0, nothing wrapped; characters without a glyph draw the space.
TEST(BitmapFont, PutGlyphDrawsTheGlyphsInkCutAtTheEdges) {
    const ShowFont f;
    const struct {
        int x, y;
        char c;
    } cases[] = {{100, 20, 'k'},
                 {630, 20, 'm'},
                 {634, 474, 'w'},
                 {100, 470, 'g'},
                 {100, 0, 'k'},
                 {0, 30, 'm'},
                 {-5, -5, 'b'},
                 {0, 0, 'q'},
                 {639, 479, 'a'},
                 {-2147483647 - 1, 20, 'f'},
                 {2147483647, 2147483647, 'x'},
                 {50, 50, 'A'},
                 {50, 50, '!'}};
    for (const auto &c : cases)
        EXPECT_EQ(f.draw(c.x, c.y, c.c), f.expected(c.x, c.y, c.c))
            << "'" << c.c << "' at " << c.x << ", " << c.y;
    const std::vector<Pixel> k = f.draw(100, 20, 'k');
    EXPECT_GT(redCount(k), 20) << "'k' has ink";
    EXPECT_EQ(k[20 * W + 100], BitmapFont::kGlyphColour) << "the left marker shows at the top-left";
    EXPECT_EQ(redCount(f.draw(50, 50, ' ')), 1) << "the space shows only its marker";
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
