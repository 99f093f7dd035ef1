// PNG pictures of frames (see png_encoder.h).
#include "render/png_encoder.h"

#include "show/frame_passes.h"

#include <libdeflate.h>

#include <cstring>

namespace {

constexpr int kFastest = 1;  // libdeflate's fastest compressing level
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kRowBytes = 1 + 3 * size_t{kScreenWidth};  // filter byte 0: none
constexpr size_t kRowsBytes = kRowBytes * kScreenHeight;
constexpr size_t kChunkFrame = 12;  // a chunk's length, type and CRC
constexpr size_t kHeaderBytes = 13;
constexpr size_t kDataStart = kPngHeadBytes + 8;
static_assert(kPngHeadBytes == sizeof kSignature + kChunkFrame + kHeaderBytes);

// Big-endian, as PNG numbers are.
void put32(uint8_t *at, uint32_t value) {
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

// A chunk's frame around size bytes of data already at at + 8; returns the chunk's end.
uint8_t *closeChunk(uint8_t *at, const char *type, size_t size) {
    put32(at, uint32_t(size));
    std::memcpy(at + 4, type, 4);
    put32(at + 8 + size, libdeflate_crc32(0, at + 4, size + 4));
    return at + 8 + size + 4;
}

}  // namespace

// 640 x 480, 8 bits, RGB, deflate, adaptive filters, not interlaced.
void writePngHead(uint8_t *at) {
    std::memcpy(at, kSignature, sizeof kSignature);
    at += sizeof kSignature;
    uint8_t *header = at + 8;
    put32(header, kScreenWidth);
    put32(header + 4, kScreenHeight);
    const uint8_t format[5] = {8, 2, 0, 0, 0};
    std::memcpy(header + 8, format, sizeof format);
    closeChunk(at, "IHDR", kHeaderBytes);
}

// The file buffer holds the largest file the compressor can give.
bool createPngEncoder(PngEncoder &e) {
    e.compressor = libdeflate_alloc_compressor(kFastest);
    if (e.compressor == nullptr) return false;
    e.rows.assign(kRowsBytes, 0);
    e.file.assign(kDataStart + libdeflate_zlib_compress_bound(e.compressor, kRowsBytes) +
                      kChunkFrame + kChunkFrame,
                  0);
    return true;
}

// Safe on an encoder never made.
void destroyPngEncoder(PngEncoder &e) {
    libdeflate_free_compressor(e.compressor);
    e.compressor = nullptr;
}

// Signature, IHDR, one IDAT, IEND.
size_t encodePng(PngEncoder &e, const Pixel *frame) {
    for (int y = 0; y < kScreenHeight; ++y) {
        uint8_t *row = e.rows.data() + y * kRowBytes;
        const Pixel *in = frame + y * kScreenWidth;
        row[0] = 0;
        for (int x = 0; x < kScreenWidth; ++x) {
            row[1 + 3 * x] = uint8_t(in[x] >> 16);
            row[2 + 3 * x] = uint8_t(in[x] >> 8);
            row[3 + 3 * x] = uint8_t(in[x]);
        }
    }
    writePngHead(e.file.data());
    uint8_t *at = e.file.data() + kPngHeadBytes;
    const size_t dataRoom = e.file.size() - kDataStart - 2 * kChunkFrame;
    const size_t data =
        libdeflate_zlib_compress(e.compressor, e.rows.data(), kRowsBytes, at + 8, dataRoom);
    at = closeChunk(at, "IDAT", data);
    at = closeChunk(at, "IEND", 0);
    return size_t(at - e.file.data());
}
