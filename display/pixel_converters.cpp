// The four pixel converters and their selection by bit count.
#include "display/pixel_converters.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the 24-bit converter stores whole words and relies on little-endian order");

namespace {

// One row of the selection table.
struct ConverterEntry {
    int bitCount;
    bool rgbaBytes;
    int bytesPerPixel;
    PixelConverter convert;
};

// Compared in this order; the first match wins.
constexpr ConverterEntry kConverters[] = {
    {32, false, 4, copyPixels32},      // XRGB words as they are
    {32, true, 4, convertPixelsRgba},  // a canvas's R, G, B, A bytes
    {24, false, 3, convertPixels24},   // packed B, G, R
    {16, false, 2, convertPixels16},   // 5-6-5
    {15, false, 2, convertPixels15},   // 5-5-5
};

// The table row for bitCount and byte order, or nullptr.
const ConverterEntry *findConverter(int bitCount, bool rgbaBytes) {
    for (const ConverterEntry &entry : kConverters)
        if (entry.bitCount == bitCount && entry.rgbaBytes == rgbaBytes) return &entry;
    return nullptr;
}

// Stores a 16-bit value little-endian at an unaligned address.
inline void store16(uint8_t *at, uint32_t w) {
    at[0] = static_cast<uint8_t>(w);
    at[1] = static_cast<uint8_t>(w >> 8);
}

}  // namespace

// The converter for bitCount, or nullptr.
PixelConverter requestConverter(int bitCount, bool rgbaBytes) {
    const ConverterEntry *entry = findConverter(bitCount, rgbaBytes);
    return entry ? entry->convert : nullptr;
}

// Destination bytes per pixel for bitCount, or 0.
int converterBytesPerPixel(int bitCount) {
    const ConverterEntry *entry = findConverter(bitCount, false);
    return entry ? entry->bytesPerPixel : 0;
}

// A plain copy: the platform's own memcpy is the fastest block move it has.
void copyPixels32(void *destination, const Pixel *source, int count) {
    std::memcpy(destination, source, static_cast<size_t>(count) * sizeof(Pixel));
}

// Every pixel but the last is one 32-bit store whose top byte the next pixel overwrites;
// the last is written as three bytes, so nothing lands at destination + 3 * count.
void convertPixels24(void *destination, const Pixel *source, int count) {
    uint8_t *out = static_cast<uint8_t *>(destination);
    if (count <= 0) return;
    for (int i = 0; i < count - 1; ++i) {
        const uint32_t v = source[i];
        std::memcpy(out + 3 * i, &v, 4);  // little-endian: B, G, R, then a byte to be replaced
    }
    const uint32_t last = source[count - 1];
    uint8_t *end = out + 3 * (count - 1);
    end[0] = static_cast<uint8_t>(last);
    end[1] = static_cast<uint8_t>(last >> 8);
    end[2] = static_cast<uint8_t>(last >> 16);
}

// The top 5 bits of red, 6 of green and 5 of blue; the low bits are dropped.
void convertPixels16(void *destination, const Pixel *source, int count) {
    uint8_t *out = static_cast<uint8_t *>(destination);
    for (int i = 0; i < count; ++i) {
        const uint32_t v = source[i];
        store16(out + 2 * i, ((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x001F));
    }
}

// The top 5 bits of each channel; bit 15 stays zero.
void convertPixels15(void *destination, const Pixel *source, int count) {
    uint8_t *out = static_cast<uint8_t *>(destination);
    for (int i = 0; i < count; ++i) {
        const uint32_t v = source[i];
        store16(out + 2 * i, ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F));
    }
}

// Red and blue trade places in the little-endian word; the top byte becomes 255. Whole words
// in and out, so the loop vectorizes.
void convertPixelsRgba(void *destination, const Pixel *source, int count) {
    uint8_t *out = static_cast<uint8_t *>(destination);
    for (int i = 0; i < count; ++i) {
        const uint32_t p = source[i];
        const uint32_t rgba = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
        std::memcpy(out + 4 * i, &rgba, 4);
    }
}
