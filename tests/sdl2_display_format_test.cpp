// How the SDL2 display's pixel formats reach the presenter: which converter each one gets.
#include "display/pixel_converters.h"
#include "platform/sdl2/sdl2_platform.h"

#include <gtest/gtest.h>

// Each format, whether it is RGB, the converter its bit count gets and that converter's bytes.
TEST(Sdl2DisplayFormat, FormatsAndTheirConverters) {
    const struct {
        const char *name;
        Uint32 format;
        bool rgb;
        PixelConverter want;
    } cases[] = {
        {"XRGB8888", SDL_PIXELFORMAT_RGB888, true, copyPixels32},
        {"ARGB8888", SDL_PIXELFORMAT_ARGB8888, true, copyPixels32},
        {"BGR24", SDL_PIXELFORMAT_BGR24, true, convertPixels24},
        {"RGB565", SDL_PIXELFORMAT_RGB565, true, convertPixels16},
        {"ARGB1555, 16 bits of 5-5-5", SDL_PIXELFORMAT_ARGB1555, true, convertPixels16},
        {"RGB555", SDL_PIXELFORMAT_RGB555, true, convertPixels15},
        {"ABGR8888: blue and red swapped", SDL_PIXELFORMAT_ABGR8888, true, nullptr},
        {"BGR565", SDL_PIXELFORMAT_BGR565, true, nullptr},
        {"ARGB2101010", SDL_PIXELFORMAT_ARGB2101010, true, nullptr},
        {"RGB332", SDL_PIXELFORMAT_RGB332, true, nullptr},
        {"INDEX8", SDL_PIXELFORMAT_INDEX8, false, nullptr},
        {"YV12", SDL_PIXELFORMAT_YV12, false, nullptr},
        {"unknown", SDL_PIXELFORMAT_UNKNOWN, false, nullptr},
    };
    for (const auto &c : cases) {
        const DisplayFormat got = sdl2DisplayFormat(c.format);
        EXPECT_EQ(got.rgb, c.rgb) << c.name;
        EXPECT_EQ(requestConverter(got.bitCount), c.want)
            << c.name << ": bit count " << got.bitCount;
        EXPECT_TRUE(!c.want || got.bytesPerPixel == converterBytesPerPixel(got.bitCount))
            << c.name << ": " << got.bytesPerPixel << " bytes a pixel";
    }
}
