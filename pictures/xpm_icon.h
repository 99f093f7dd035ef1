// The program's icon, kept as an XPM file (text, drawn by hand, 32 x 32 in 16 colours):
// a small reader for the part of the format it uses. Needs: the standard library only.
#pragma once

#include <cstdint>

constexpr int kIconMaxSide = 64;  // largest icon side the reader takes

// An icon as 0xAARRGGBB values, row after row; transparent pixels are 0.
struct XpmIcon {
    int width = 0;
    int height = 0;
    uint32_t pixels[kIconMaxSide * kIconMaxSide] = {};
};

// Reads an XPM file of one or two characters per pixel whose colours are "#RRGGBB" or "None".
// False when the text is not such a file (the icon is then left empty).
bool decodeXpm(const char *text, int32_t size, XpmIcon &icon);
