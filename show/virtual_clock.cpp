// The show's virtual clock (see virtual_clock.h).
#include "show/virtual_clock.h"

#include "show/show_frame.h"

// floor(k x 1000 x fpsDen / fpsNum) with k = q x fpsNum + r: q x 1000 x fpsDen plus
// floor(r x 1000 x fpsDen / fpsNum), each part checked against UINT32_MAX before it is formed.
// r and the remainder of 1000 x fpsDen by fpsNum are below fpsNum < 2^32, so their product
// fits 64 bits.
uint32_t frameMilliseconds(uint64_t k, uint32_t fpsNum, uint32_t fpsDen) {
    const uint64_t perFrame = 1000ull * fpsDen;  // ms per frame, times fpsNum
    const uint64_t q = k / fpsNum, r = k % fpsNum;
    const uint64_t whole = perFrame / fpsNum, part = perFrame % fpsNum;
    if (q > UINT32_MAX / perFrame || (whole != 0 && r > UINT32_MAX / whole)) return UINT32_MAX;
    const uint64_t ms = q * perFrame + r * whole + r * part / fpsNum;
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}

// floor(k x 1000 x fpsDen / fpsNum) >= ms exactly when k x 1000 x fpsDen >= ms x fpsNum, and
// ms x fpsNum < 2^64.
uint64_t firstFrameAt(uint32_t ms, uint32_t fpsNum, uint32_t fpsDen) {
    const uint64_t perFrame = 1000ull * fpsDen;
    const uint64_t scaled = uint64_t{ms} * fpsNum;
    return scaled / perFrame + (scaled % perFrame != 0 ? 1 : 0);
}

// The frame at the show's end reads as exactly its end, so the main routine stops there.
uint32_t frameTime(uint64_t k, uint32_t fpsNum, uint32_t fpsDen) {
    const uint32_t ms = frameMilliseconds(k, fpsNum, fpsDen);
    return ms < kShowLength ? ms : kShowLength;
}

// Two start reads of 0, then one frame a read.
uint32_t virtualClockRead(VirtualClock &clock) {
    if (clock.reads++ < 2) return 0;
    clock.frame = clock.reads - 3;
    clock.now = frameTime(clock.frame, clock.fpsNum, clock.fpsDen);
    return clock.now;
}
