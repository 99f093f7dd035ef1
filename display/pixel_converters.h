// Pixel converters: turn a run of 32-bit Pixel values into a display's packed format, straight
// into a locked surface. Pure functions over memory: no state, no platform call, no allocation.
#pragma once

#include "common/pixel.h"

#include <cstdint>

// Writes count pixels of source to destination in one display format. destination need not
// be aligned; exactly count * bytes-per-pixel bytes are written, nothing else.
using PixelConverter = void (*)(void *destination, const Pixel *source, int count);

// The converter for a display's bit count (32, 24, 16 or 15; 32 also as the bytes R, G, B, A),
// or nullptr for any other.
PixelConverter requestConverter(int bitCount, bool rgbaBytes = false);

// Bytes one destination pixel takes at this bit count, or 0 when there is no converter.
int converterBytesPerPixel(int bitCount);

// 32 bits: each source word unchanged, bits 31-24 included.
void copyPixels32(void *destination, const Pixel *source, int count);
// 24 bits: blue, green, red bytes.
void convertPixels24(void *destination, const Pixel *source, int count);
// 16 bits, 5-6-5: red 15-11, green 10-5, blue 4-0, little-endian.
void convertPixels16(void *destination, const Pixel *source, int count);
// 15 bits, 5-5-5: bit 15 zero, red 14-10, green 9-5, blue 4-0, little-endian.
void convertPixels15(void *destination, const Pixel *source, int count);

// 32 bits for a canvas: the bytes red, green, blue, 255 (opaque), whatever bits 31-24 were.
// destination may be source itself.
void convertPixelsRgba(void *destination, const Pixel *source, int count);
