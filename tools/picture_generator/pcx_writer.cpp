// PCX writer: header, per-scan-line run-length data and the 256-entry grey palette trailer.
#include "pcx_writer.h"

#include <cstdio>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr int kMaxRun = 63;

// Stores a 16-bit little-endian value at offset in the header.
void putU16(std::vector<std::uint8_t> &bytes, std::size_t offset, int value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Appends one scan line as runs; runs stop at the end of the line.
void encodeLine(const std::uint8_t *line, int width, std::vector<std::uint8_t> &out) {
    int x = 0;
    while (x < width) {
        const std::uint8_t value = line[x];
        int run = 1;
        while (x + run < width && run < kMaxRun && line[x + run] == value) ++run;
        if (run == 1 && value < 0xC0) {
            out.push_back(value);
        } else {
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
            out.push_back(value);
        }
        x += run;
    }
}

}  // namespace

// Encodes the image as PCX bytes (header, per-line RLE data, grey palette trailer).
std::vector<std::uint8_t> encodePcx(const GreyImage &image) {
    std::vector<std::uint8_t> bytes(kHeaderSize, 0);
    bytes[0] = 0x0A;  // manufacturer
    bytes[1] = 5;     // version
    bytes[2] = 1;     // run-length encoding
    bytes[3] = 8;     // bits per pixel
    putU16(bytes, 4, 0);
    putU16(bytes, 6, 0);
    putU16(bytes, 8, image.width - 1);
    putU16(bytes, 10, image.height - 1);
    putU16(bytes, 12, 72);
    putU16(bytes, 14, 72);
    bytes[65] = 1;  // planes
    putU16(bytes, 66, image.width);
    putU16(bytes, 68, 2);  // palette info: greyscale

    for (int y = 0; y < image.height; ++y) {
        encodeLine(&image.pixels[static_cast<std::size_t>(y) * image.width], image.width, bytes);
    }

    bytes.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) bytes.push_back(static_cast<std::uint8_t>(i));
    }
    return bytes;
}

// Encodes the image and writes it to path; returns false if the file cannot be written.
bool writePcx(const GreyImage &image, const std::string &path) {
    const std::vector<std::uint8_t> bytes = encodePcx(image);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
