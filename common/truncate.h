// Real-to-integer conversion as the show's first platform did it, without undefined behaviour:
// toward zero, and 0x80000000 (INT32_MIN) for anything outside the int32 range or NaN.
#pragma once

#include <cstdint>

// trunc(v): toward zero; out of range or NaN gives INT32_MIN, like the x86 conversion.
inline int32_t truncToInt(double v) {
    if (v > -2147483649.0 && v < 2147483648.0) return static_cast<int32_t>(v);
    return INT32_MIN;
}

// |v| with two's-complement wrap: |INT32_MIN| stays INT32_MIN, as on the first platform.
inline int32_t absWrapped(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return static_cast<int32_t>(v < 0 ? 0u - u : u);
}
