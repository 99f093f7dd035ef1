// icon_png: writes the program's XPM icon as a PNG with transparency, for desktops that look for
// one in the icon theme. Usage: icon_png ICON.xpm OUT.png. Needs: libpng.
#include "pictures/xpm_icon.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

// Reads the XPM, writes the PNG.
int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_png ICON.xpm OUT.png\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "icon_png: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static XpmIcon icon;
    if (!decodeXpm(text.data(), static_cast<int32_t>(text.size()), icon)) {
        std::fprintf(stderr, "icon_png: %s is not an icon it can read\n", argv[1]);
        return 1;
    }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(icon.width);
    image.height = static_cast<png_uint_32>(icon.height);
    image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB words, little-endian
    if (!png_image_write_to_file(&image, argv[2], 0, icon.pixels, icon.width * 4, nullptr)) {
        std::fprintf(stderr, "icon_png: cannot write %s: %s\n", argv[2], image.message);
        return 1;
    }
    return 0;
}
