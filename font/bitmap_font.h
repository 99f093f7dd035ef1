// BitmapFont: proportional glyphs cut from the decoded font picture by the boundary markers of
// its first row, drawn one character at a time in solid red into a 32-bit target buffer.
// Needs: common/pixel.h. No platform.
#pragma once

#include "common/pixel.h"

#include <cstdint>

// One glyph: columns start .. end - 1 of the font picture; end is its right marker.
struct Glyph {
    int32_t start;
    int32_t end;
    uint8_t character;
};

class BitmapFont {
public:
    static constexpr int kGlyphCount = 31;             // glyphs the character set has
    static constexpr int kGlyphRows = 19;              // font rows drawn per glyph
    static constexpr int kFontStride = 600;            // row stride of the font picture
    static constexpr Pixel kGlyphColour = 0x00FF0000;  // pure red
    static const char kCharacters[kGlyphCount + 1];    // "abc...z -,.?", in glyph order

    // Stores the target's size and the font picture's size.
    void setSizes(int screenWidth, int screenHeight, int fontWidth, int fontHeight);
    // Builds the glyph table from the markers (zeros) of row 0; returns how many markers.
    int init(const Pixel *fontPicture);
    // Glyph number of a character's low 8 bits; the space glyph for anything unknown.
    static int glyphIndex(char character);
    // Draws one character with its top-left corner at (x, y) of target.
    void putGlyph(int x, int y, char character, const Pixel *fontPicture, Pixel *target) const;

    int32_t screenWidth = 0;             // target width, also its row stride
    int32_t screenHeight = 0;            // target height
    int32_t fontWidth = 0;               // font picture width: how much of row 0 init scans
    int32_t fontHeight = 0;              // font picture height
    const Pixel *fontPicture = nullptr;  // the decoded font picture; not owned
    Glyph glyphs[kGlyphCount] = {};
    int32_t glyphCount = 0;  // glyphs init found; the others draw nothing
};
