// decodePcx: one continuous run-length sequence of width x height bytes.
#include "pictures/pcx_decoder.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kHeaderBytes = 128;   // skipped, never examined
constexpr uint8_t kRunMark = 0xC0;  // a byte at or above this is a run of (byte - 0xC0)
}  // namespace

// A byte of 0xC0 or more is a count (0 to 63) followed by the value to repeat; any other byte
// is itself. A run that would cross the end is cut there.
void decodePcx(MemoryStream *stream, int width, int height, Pixel *out) {
    const int64_t n = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
    int64_t i = 0;
    if (stream != nullptr) {
        uint8_t header[kHeaderBytes];
        stream->seek(0, 0);
        stream->read(header, 1, kHeaderBytes);
        while (i < n) {
            uint8_t b = 0;
            if (stream->read(&b, 1, 1) != 1) break;
            if (b < kRunMark) {
                out[i++] = b;
                continue;
            }
            uint8_t v = 0;
            if (stream->read(&v, 1, 1) != 1) break;
            const int64_t count = std::min<int64_t>(b - kRunMark, n - i);
            std::fill(out + i, out + i + count, Pixel{v});
            i += count;
        }
        stream->close();
    }
    std::fill(out + i, out + n, Pixel{0});
}
