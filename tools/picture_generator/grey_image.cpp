// GreyImage helpers: surface readback, inversion, statistics and PNG previews through Cairo.
#include "grey_image.h"

#include <algorithm>

// Makes a width x height image filled with one grey value.
GreyImage makeGreyImage(int width, int height, std::uint8_t fill) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * height, fill);
    return image;
}

// Reads the green channel of an RGB24 surface drawn in greys.
GreyImage greyFromSurface(cairo_surface_t *surface) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    GreyImage image = makeGreyImage(width, height, 0);
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const std::uint32_t *>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            image.pixels[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>((row[x] >> 8) & 0xFF);
        }
    }
    return image;
}

// Returns 255 - v for every pixel.
GreyImage inverted(const GreyImage &image) {
    GreyImage result = image;
    for (auto &v : result.pixels) v = static_cast<std::uint8_t>(255 - v);
    return result;
}

// Half the size, each pixel the rounded mean of a 2 x 2 block.
GreyImage halved(const GreyImage &image) {
    GreyImage result = makeGreyImage(image.width / 2, image.height / 2, 0);
    for (int y = 0; y < result.height; ++y) {
        for (int x = 0; x < result.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(2 * y) * image.width + 2 * x;
            const int sum = image.pixels[at] + image.pixels[at + 1] +
                            image.pixels[at + image.width] + image.pixels[at + image.width + 1];
            result.pixels[static_cast<std::size_t>(y) * result.width + x] =
                static_cast<std::uint8_t>((sum + 2) / 4);
        }
    }
    return result;
}

// Fraction of pixels that hold exactly value.
double fractionOfValue(const GreyImage &image, std::uint8_t value) {
    if (image.pixels.empty()) return 0.0;
    const auto count = std::count(image.pixels.begin(), image.pixels.end(), value);
    return static_cast<double>(count) / static_cast<double>(image.pixels.size());
}

// Writes a PNG preview, each pixel enlarged to scale x scale; returns false on failure.
bool writePngPreview(const GreyImage &image, int scale, const std::string &path) {
    const int width = image.width * scale;
    const int height = image.height * scale;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return false;
    cairo_surface_flush(surface);
    unsigned char *data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<std::uint32_t *>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v =
                image.pixels[static_cast<std::size_t>(y / scale) * image.width + x / scale];
            row[x] = 0xFF000000u | (v << 16) | (v << 8) | v;
        }
    }
    cairo_surface_mark_dirty(surface);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}
