// Font strip: renders the show's 31 glyphs as a 600x19 marker-delimited strip; needs FreeType.
#pragma once

#include "grey_image.h"

#include <string>
#include <vector>

// Where one glyph sits in the strip: markers in row 0 at start and end, ink strictly between.
struct GlyphBox {
    char character = ' ';
    int start = 0;
    int end = 0;
};

// The finished strip, its glyph boxes and the pixel size the glyphs were rendered at.
struct FontStrip {
    GreyImage image;
    std::vector<GlyphBox> boxes;
    int pixelSize = 0;
};

// The characters of the strip, in order.
inline constexpr const char *kFontStripCharacters = "abcdefghijklmnopqrstuvwxyz -,.?";

// Renders the strip from a TrueType file; returns false with a message in error on failure.
bool renderFontStrip(const std::string &fontPath, FontStrip &strip, std::string &error);
