// PNG pictures of frames: 8-bit RGB, rows unfiltered (on these frames the smallest and the
// fastest), compressed with libdeflate at its fastest level. The pixels are exact. One encoder
// per thread; it allocates only when made. Needs: libdeflate, show/frame_passes.h.
#pragma once

#include "common/pixel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct libdeflate_compressor;

struct PngEncoder {
    libdeflate_compressor *compressor = nullptr;
    std::vector<uint8_t> rows;  // each row's filter byte and its 640 x 3 colour bytes
    std::vector<uint8_t> file;  // the encoded file, as large as it can get
};

// Makes the compressor and the buffers; false when out of memory.
bool createPngEncoder(PngEncoder &encoder);
// Frees what createPngEncoder made.
void destroyPngEncoder(PngEncoder &encoder);

// Encodes frame into encoder.file and returns the file's size in bytes.
size_t encodePng(PngEncoder &encoder, const Pixel *frame);

// The bytes every PNG of this program starts with: the signature and the header chunk.
constexpr size_t kPngHeadBytes = 33;
// Writes those kPngHeadBytes bytes at at.
void writePngHead(uint8_t *at);
