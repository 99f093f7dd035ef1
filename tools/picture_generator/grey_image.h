// GreyImage: an 8-bit greyscale raster and its conversions to and from Cairo; needs cairo.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, 0 black .. 255 white
};

// Makes a width x height image filled with one grey value.
GreyImage makeGreyImage(int width, int height, std::uint8_t fill);

// Reads the green channel of an RGB24 surface drawn in greys.
GreyImage greyFromSurface(cairo_surface_t *surface);

// Returns 255 - v for every pixel.
GreyImage inverted(const GreyImage &image);

// Half the size, each pixel the mean of a 2 x 2 block; for small previews.
GreyImage halved(const GreyImage &image);

// Fraction of pixels that hold exactly value.
double fractionOfValue(const GreyImage &image, std::uint8_t value);

// Writes a PNG preview, each pixel enlarged to scale x scale; returns false on failure.
bool writePngPreview(const GreyImage &image, int scale, const std::string &path);
