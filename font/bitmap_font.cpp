// BitmapFont: glyph table and glyph drawing.
#include "font/bitmap_font.h"

#include <cstddef>

const char BitmapFont::kCharacters[kGlyphCount + 1] = "abcdefghijklmnopqrstuvwxyz -,.?";

namespace {
constexpr int kSpaceGlyph = 26;  // what every character outside the set draws
}

// Stores the four sizes.
void BitmapFont::setSizes(int screenW, int screenH, int fontW, int fontH) {
    screenWidth = screenW;
    screenHeight = screenH;
    fontWidth = fontW;
    fontHeight = fontH;
}

// Markers of row 0, taken in pairs: left and right boundary of each glyph, at most 31 glyphs.
int BitmapFont::init(const Pixel *picture) {
    fontPicture = picture;
    glyphCount = 0;
    int markers = 0;
    int32_t left = 0;
    for (int32_t column = 0; column < fontWidth; ++column) {
        if (picture[column] != 0) continue;
        if (markers % 2 == 0) {
            left = column;
        } else if (glyphCount < kGlyphCount) {
            glyphs[glyphCount] = {left, column, static_cast<uint8_t>(kCharacters[glyphCount])};
            ++glyphCount;
        }
        ++markers;
    }
    return markers;
}

// a-z are 0-25, then '-' 27, ',' 28, '.' 29, '?' 30; everything else is the space, 26.
int BitmapFont::glyphIndex(char character) {
    const unsigned char c = static_cast<unsigned char>(character);
    if (c >= 'a' && c <= 'z') return c - 'a';
    switch (c) {
    case '-':
        return 27;
    case ',':
        return 28;
    case '.':
        return 29;
    case '?':
        return 30;
    default:
        return kSpaceGlyph;
    }
}

// Red wherever the glyph's font pixel is 0. Row 0 and column 0 of the target are never
// written; a glyph init did not find draws nothing, and no read leaves the font picture.
void BitmapFont::putGlyph(int x, int y, char character, const Pixel *picture, Pixel *target) const {
    const int g = glyphIndex(character);
    if (g >= glyphCount) return;
    const Glyph &glyph = glyphs[g];
    const int w = glyph.end - glyph.start;
    const ptrdiff_t pictureSize = static_cast<ptrdiff_t>(fontWidth) * fontHeight;
    for (int r = 0; r < kGlyphRows; ++r) {
        const int64_t row = static_cast<int64_t>(y) + r;  // 64 bits: no overflow near INT_MAX
        if (!(0 < row && row < screenHeight)) continue;
        const ptrdiff_t from = static_cast<ptrdiff_t>(r) * kFontStride + glyph.start;
        if (from + w > pictureSize) return;
        Pixel *out = target + row * screenWidth;
        for (int c = 0; c < w; ++c) {
            const int64_t column = static_cast<int64_t>(x) + c;
            if (picture[from + c] == 0 && 0 < column && column < screenWidth)
                out[column] = kGlyphColour;
        }
    }
}
