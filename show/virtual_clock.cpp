// The show's virtual clock (see virtual_clock.h).
#include "show/virtual_clock.h"

#include "show/show_frame.h"

// floor(k x 1000 x fpsDen / fpsNum).
uint32_t frameMilliseconds(uint64_t k, uint32_t fpsNum, uint32_t fpsDen) {
    const uint64_t ms = k * 1000u * fpsDen / fpsNum;
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}

// Two start reads of 0, then one frame a read; the frame at the show's end reads as exactly
// its end, so the main routine stops there.
uint32_t virtualClockRead(VirtualClock &clock) {
    if (clock.reads++ < 2) return 0;
    clock.frame = clock.reads - 3;
    const uint32_t ms = frameMilliseconds(clock.frame, clock.fpsNum, clock.fpsDen);
    clock.now = ms < kShowLength ? ms : kShowLength;
    return clock.now;
}
