// The XPM reader (see xpm_icon.h).
#include "pictures/xpm_icon.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int kMaxColours = 256;

// The quoted strings of the file, one after another.
struct Strings {
    std::string_view text;
    size_t at = 0;
    // The next "..." string; false when there is none.
    bool next(std::string_view &out) {
        const size_t open = text.find('"', at);
        if (open == std::string_view::npos) return false;
        const size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) return false;
        out = text.substr(open + 1, close - open - 1);
        at = close + 1;
        return true;
    }
};

// "#RRGGBB" as 0xFFRRGGBB, "None" as 0.
bool parseColour(std::string_view value, uint32_t &argb) {
    if (value == "None" || value == "none") {
        argb = 0;
        return true;
    }
    if (value.size() != 7 || value[0] != '#') return false;
    uint32_t rgb = 0;
    for (char c : value.substr(1)) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        rgb = rgb << 4 | static_cast<uint32_t>(digit);
    }
    argb = 0xFF000000u | rgb;
    return true;
}

// The value after the " c " key of a colour line.
bool colourOf(std::string_view line, uint32_t &argb) {
    const size_t key = line.find(" c ");
    if (key == std::string_view::npos) return false;
    std::string_view value = line.substr(key + 3);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    const size_t end = value.find(' ');
    return parseColour(value.substr(0, end), argb);
}

// Header "W H colours chars-per-pixel", the colour lines, then one string per row.
bool readXpm(const char *text, int32_t size, XpmIcon &icon) {
    if (text == nullptr || size <= 0) return false;
    Strings strings{std::string_view(text, static_cast<size_t>(size))};
    std::string_view line;
    int width = 0, height = 0, colours = 0, perPixel = 0;
    if (!strings.next(line) || std::sscanf(std::string(line).c_str(), "%d %d %d %d", &width,
                                           &height, &colours, &perPixel) != 4)
        return false;
    if (width < 1 || height < 1 || width > kIconMaxSide || height > kIconMaxSide || colours < 1 ||
        colours > kMaxColours || perPixel < 1 || perPixel > 2)
        return false;

    char keys[kMaxColours][2] = {};
    uint32_t values[kMaxColours] = {};
    for (int i = 0; i < colours; ++i) {
        if (!strings.next(line) || line.size() < size_t(perPixel) + 3) return false;
        std::memcpy(keys[i], line.data(), perPixel);
        if (!colourOf(line.substr(perPixel), values[i])) return false;
    }
    for (int y = 0; y < height; ++y) {
        if (!strings.next(line) || line.size() != size_t(width) * perPixel) return false;
        for (int x = 0; x < width; ++x) {
            const char *pixel = line.data() + x * perPixel;
            int found = -1;
            for (int i = 0; i < colours && found < 0; ++i)
                if (std::memcmp(keys[i], pixel, perPixel) == 0) found = i;
            if (found < 0) return false;
            icon.pixels[y * width + x] = values[found];
        }
    }
    icon.width = width;
    icon.height = height;
    return true;
}

}  // namespace

// A file it cannot read leaves the icon empty, whatever it had read so far.
bool decodeXpm(const char *text, int32_t size, XpmIcon &icon) {
    icon = XpmIcon{};
    if (readXpm(text, size, icon)) return true;
    icon = XpmIcon{};
    return false;
}
