// icon_ico: writes the program's XPM icon as a Windows icon: one 32 x 32 image of 16 colours
// from the standard palette, transparent pixels masked out. Usage: icon_ico ICON.xpm OUT.ico.
// Needs: pictures/xpm_icon.
#include "pictures/xpm_icon.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 32;
// The 16 colours of the standard palette, 0xRRGGBB, in their index order.
constexpr uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr int kColourBytes = kSide * kSide / 2;  // 4 bits a pixel; rows of 16 bytes
constexpr int kMaskBytes = kSide * kSide / 8;    // 1 bit a pixel; rows of 4 bytes
constexpr int kImageBytes = 40 + 4 * 16 + kColourBytes + kMaskBytes;

// Little-endian fields.
void put16(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t> &out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// The palette index of an opaque colour; -1 when it is not in the palette.
int paletteIndex(uint32_t argb) {
    for (int i = 0; i < 16; ++i)
        if (kPalette[i] == (argb & 0xFFFFFF)) return i;
    return -1;
}

// The icon file: its directory, then the bitmap header, palette, colour rows and mask rows,
// both bottom-up; false when a colour is not in the palette.
bool iconFile(const XpmIcon &icon, std::vector<uint8_t> &out) {
    put16(out, 0);  // directory: reserved, type 1 (icon), one image
    put16(out, 1);
    put16(out, 1);
    out.insert(out.end(), {kSide, kSide, 16, 0});  // entry: size, colours, reserved
    put16(out, 1);                                 // planes
    put16(out, 4);                                 // bits a pixel
    put32(out, kImageBytes);
    put32(out, 6 + 16);  // the image follows the directory
    put32(out, 40);      // bitmap header: the colour rows and the mask make it twice as high
    put32(out, kSide);
    put32(out, 2 * kSide);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, kColourBytes + kMaskBytes);
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (const uint32_t rgb : kPalette)
        out.insert(out.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0});
    std::vector<uint8_t> mask;
    for (int y = kSide - 1; y >= 0; --y) {
        uint32_t maskRow = 0;
        for (int x = 0; x < kSide; x += 2) {
            int pair[2];
            for (int k = 0; k < 2; ++k) {
                const uint32_t argb = icon.pixels[y * kSide + x + k];
                const bool transparent = (argb >> 24) == 0;
                pair[k] = transparent ? 0 : paletteIndex(argb);
                if (pair[k] < 0) return false;
                if (transparent) maskRow |= 0x80000000u >> (x + k);
            }
            out.push_back(static_cast<uint8_t>(pair[0] << 4 | pair[1]));
        }
        mask.insert(mask.end(), {uint8_t(maskRow >> 24), uint8_t(maskRow >> 16),
                                 uint8_t(maskRow >> 8), uint8_t(maskRow)});
    }
    out.insert(out.end(), mask.begin(), mask.end());
    return true;
}

}  // namespace

// Reads the XPM, writes the icon.
int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_ico ICON.xpm OUT.ico\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static XpmIcon icon;
    if (!decodeXpm(text.data(), static_cast<int32_t>(text.size()), icon) || icon.width != kSide ||
        icon.height != kSide) {
        std::fprintf(stderr, "icon_ico: %s is not a 32 x 32 XPM icon\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> out;
    if (!iconFile(icon, out)) {
        std::fprintf(stderr, "icon_ico: %s has a colour outside the 16-colour palette\n", argv[1]);
        return 1;
    }
    std::ofstream file(argv[2], std::ios::binary);
    file.write(reinterpret_cast<const char *>(out.data()),
               static_cast<std::streamsize>(out.size()));
    return file ? 0 : 1;
}
