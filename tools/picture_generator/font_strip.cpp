// Font strip: FreeType renders each glyph, the coverage is binarised and boxed by row-0 markers.
#include "font_strip.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>

namespace {

constexpr int kStripWidth = 600;
constexpr int kStripHeight = 19;
constexpr int kFirstInkRow = 1;
constexpr int kInkRows = kStripHeight - kFirstInkRow;
constexpr int kInkThreshold = 110;  // coverage at or above this becomes ink
constexpr int kSpaceColumns = 6;    // blank columns between the markers of ' '
constexpr int kLargestSize = 18;
constexpr int kSmallestSize = 10;

// One glyph's binarised ink, cropped to its ink columns, with rows relative to the baseline.
struct GlyphInk {
    int width = 0;
    int top = 0;  // rows above the baseline of the first bitmap row
    int rows = 0;
    std::vector<std::uint8_t> ink;  // width * rows, 1 where inked
};

// Renders one character and keeps only the columns that hold ink.
bool renderGlyph(FT_Face face, char c, GlyphInk &glyph) {
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER)) return false;
    const FT_Bitmap &bitmap = face->glyph->bitmap;
    const int w = static_cast<int>(bitmap.width);
    const int h = static_cast<int>(bitmap.rows);
    int left = w;
    int right = -1;
    int top = h;
    int bottom = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (bitmap.buffer[y * bitmap.pitch + x] >= kInkThreshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    glyph = GlyphInk{};
    if (right < 0) return true;  // no ink, e.g. the space
    glyph.width = right - left + 1;
    glyph.rows = bottom - top + 1;
    glyph.top = face->glyph->bitmap_top - top;
    glyph.ink.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
    for (int y = 0; y < glyph.rows; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
            const int coverage = bitmap.buffer[(y + top) * bitmap.pitch + x + left];
            glyph.ink[static_cast<std::size_t>(y) * glyph.width + x] = coverage >= kInkThreshold;
        }
    }
    return true;
}

// Renders all characters at one pixel size.
bool renderAll(FT_Face face, int size, std::vector<GlyphInk> &glyphs) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size))) return false;
    glyphs.clear();
    for (const char *c = kFontStripCharacters; *c; ++c) {
        GlyphInk glyph;
        if (!renderGlyph(face, *c, glyph)) return false;
        glyphs.push_back(glyph);
    }
    return true;
}

// Highest ink row above and lowest below the baseline over all glyphs.
void verticalExtent(const std::vector<GlyphInk> &glyphs, int &ascent, int &descent) {
    ascent = 0;
    descent = 0;
    for (const auto &g : glyphs) {
        if (g.rows == 0) continue;
        ascent = std::max(ascent, g.top);
        descent = std::max(descent, g.rows - g.top);
    }
}

// Total strip columns the glyphs need: marker, ink, one blank, marker, per glyph.
int stripColumns(const std::vector<GlyphInk> &glyphs) {
    int columns = 0;
    for (const auto &g : glyphs) columns += (g.rows == 0 ? kSpaceColumns : g.width + 1) + 2;
    return columns;
}

}  // namespace

// Renders the strip from a TrueType file; returns false with a message in error on failure.
bool renderFontStrip(const std::string &fontPath, FontStrip &strip, std::string &error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) {
        error = "cannot start FreeType";
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face)) {
        FT_Done_FreeType(library);
        error = "cannot open font " + fontPath;
        return false;
    }

    // Largest size whose ink fits the rows and whose boxes fit the columns.
    std::vector<GlyphInk> glyphs;
    int size = kLargestSize;
    int ascent = 0;
    int descent = 0;
    for (; size >= kSmallestSize; --size) {
        if (!renderAll(face, size, glyphs)) continue;
        verticalExtent(glyphs, ascent, descent);
        if (ascent + descent <= kInkRows && stripColumns(glyphs) <= kStripWidth) break;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (size < kSmallestSize) {
        error = "font does not fit the strip at any usable size";
        return false;
    }

    strip.pixelSize = size;
    strip.image = makeGreyImage(kStripWidth, kStripHeight, 255);
    strip.boxes.clear();
    const int baseline = kFirstInkRow + (kInkRows - ascent - descent) / 2 + ascent;
    int x = 0;
    for (std::size_t k = 0; k < glyphs.size(); ++k) {
        const GlyphInk &g = glyphs[k];
        GlyphBox box;
        box.character = kFontStripCharacters[k];
        box.start = x;
        box.end = x + (g.rows == 0 ? kSpaceColumns : g.width + 1) + 1;
        for (int y = 0; y < g.rows; ++y) {
            const int row = baseline - g.top + y;
            for (int i = 0; i < g.width; ++i) {
                if (g.ink[static_cast<std::size_t>(y) * g.width + i]) {
                    strip.image.pixels[static_cast<std::size_t>(row) * kStripWidth + x + 1 + i] = 0;
                }
            }
        }
        strip.image.pixels[static_cast<std::size_t>(box.start)] = 0;
        strip.image.pixels[static_cast<std::size_t>(box.end)] = 0;
        strip.boxes.push_back(box);
        x = box.end + 1;
    }
    return true;
}
