// libFuzzer target: decodePcx over arbitrary bytes and picture sizes. The first four bytes give
// the width and height (up to 511 each), the rest is the file. The output buffer is exactly
// width x height values, so a write past it is caught by AddressSanitizer.
#include "pictures/pcx_decoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    const int width = (data[0] | data[1] << 8) & 0x1FF;
    const int height = (data[2] | data[3] << 8) & 0x1FF;
    std::vector<Pixel> out(static_cast<size_t>(width) * height);
    auto stream = openMemoryStream(data + 4, static_cast<int32_t>(size - 4));
    decodePcx(stream.get(), width, height, out.data());
    for (Pixel v : out)
        if (v > 255) __builtin_trap();  // every value is one byte, zero-extended
    return 0;
}
