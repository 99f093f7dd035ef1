// The YUV4MPEG2 stream (see y4m_stream.h).
#include "render/y4m_stream.h"

#include "common/cpu_dispatch.h"

#include <cstring>

namespace {

// BT.601 in integers: Y 16-235, U and V 16-240. Every sum fits 16 bits (Y's is at most 56228,
// U's and V's lie within +-28688), so the loop runs in 16-bit lanes.
DISPATCH_INLINE void convertLoop(const Pixel *__restrict frame, uint8_t *__restrict y,
                                 uint8_t *__restrict u, uint8_t *__restrict v) {
    for (int i = 0; i < kScreenPixels; ++i) {
        const uint16_t r = uint16_t((frame[i] >> 16) & 0xFF);
        const uint16_t g = uint16_t((frame[i] >> 8) & 0xFF);
        const uint16_t b = uint16_t(frame[i] & 0xFF);
        y[i] = uint8_t(16 + (uint16_t(66 * r + 129 * g + 25 * b + 128) >> 8));
        u[i] = uint8_t(128 + (int16_t(int16_t(112 * b + 128) - int16_t(38 * r + 74 * g)) >> 8));
        v[i] = uint8_t(128 + (int16_t(int16_t(112 * r + 128) - int16_t(94 * g + 18 * b)) >> 8));
    }
}

// The loop built for AVX2 and for the baseline.
DISPATCH_AVX2 void convertAvx2(const Pixel *frame, uint8_t *y, uint8_t *u, uint8_t *v) {
    convertLoop(frame, y, u, v);
}
void convertPlain(const Pixel *frame, uint8_t *y, uint8_t *u, uint8_t *v) {
    convertLoop(frame, y, u, v);
}
const auto convert = pickForCpu(convertAvx2, convertPlain);

}  // namespace

// Frame size, rate as a fraction, progressive, square pixels, 4:4:4, limited range.
std::string y4mHeader(uint32_t fpsNum, uint32_t fpsDen) {
    return "YUV4MPEG2 W" + std::to_string(kScreenWidth) + " H" + std::to_string(kScreenHeight) +
           " F" + std::to_string(fpsNum) + ":" + std::to_string(fpsDen) +
           " Ip A1:1 C444 XCOLORRANGE=LIMITED\n";
}

// The mark, then the planes one after another.
void frameToY4m(const Pixel *frame, uint8_t *out) {
    const size_t mark = sizeof kY4mFrameMark - 1;
    std::memcpy(out, kY4mFrameMark, mark);
    uint8_t *y = out + mark;
    convert(frame, y, y + kScreenPixels, y + 2 * kScreenPixels);
}
