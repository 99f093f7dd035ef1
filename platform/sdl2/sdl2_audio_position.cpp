// The audio layer's position arithmetic (see sdl2_audio_position.h).
#include "platform/sdl2/sdl2_audio_position.h"

#include <algorithm>
#include <bit>
#include <cassert>

// Nothing handed over, nothing heard.
void clockReset(PlaybackClock &clock, int latencyFrames) {
    clock.latencyFrames = latencyFrames;
    clock.bufferStart = 0;
    clock.bufferFrames = 0;
    clock.handOverNs = 0;
    clock.running = false;
}

// Remembers the latest buffer and when it went.
void clockHandOver(PlaybackClock &clock, int64_t start, int frames, int64_t nowNs) {
    clock.bufferStart = start;
    clock.bufferFrames = frames;
    clock.handOverNs = nowNs;
    clock.running = true;
}

// Elapsed time in frames, held at the buffer's length when the next hand-over is late.
int64_t heardFrame(const PlaybackClock &clock, int64_t nowNs) {
    int64_t elapsed = 0;
    if (clock.running && nowNs > clock.handOverNs) {
        elapsed = (nowNs - clock.handOverNs) * clock.rate / 1'000'000'000;
        elapsed = std::min<int64_t>(elapsed, clock.bufferFrames);
    }
    return clock.bufferStart - clock.latencyFrames + elapsed;
}

// The frozen position reads as a buffer start with no time running.
void clockFreeze(PlaybackClock &clock, int64_t nowNs) {
    clock.bufferStart = heardFrame(clock, nowNs) + clock.latencyFrames;
    clock.bufferFrames = 0;
    clock.running = false;
}

// Power-of-two capacity, so a position's slot is a mask away.
void ringAllocate(StreamRing &ring, int minFrames) {
    assert(minFrames > 0 && "ring: needs room for at least one frame");
    ring.capacity = static_cast<int64_t>(std::bit_ceil(static_cast<uint64_t>(minFrames)));
    ring.frames.assign(2 * static_cast<size_t>(ring.capacity), 0.0f);
    ringClear(ring);
}

// Position 0, length unknown.
void ringClear(StreamRing &ring) {
    ring.end = 0;
    ring.length = -1;
}

// From end's slot to the wrap.
float *ringWriteSpan(StreamRing &ring, int *frames) {
    const int64_t slot = ring.end & (ring.capacity - 1);
    *frames = static_cast<int>(ring.capacity - slot);
    return ring.frames.data() + 2 * slot;
}

// Moves end on.
void ringCommit(StreamRing &ring, int frames) {
    ring.end += frames;
}

// Frame by frame: held frames scaled, the rest zero.
void ringCopy(const StreamRing &ring, int64_t first, int count, float gain, float *stereo) {
    const int64_t oldest = std::max<int64_t>(0, ring.end - ring.capacity);
    const int64_t newest = ring.length >= 0 ? std::min(ring.end, ring.length) : ring.end;
    for (int i = 0; i < count; ++i) {
        const int64_t frame = first + i;
        if (frame < oldest || frame >= newest) {
            stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
            continue;
        }
        const float *from = ring.frames.data() + 2 * (frame & (ring.capacity - 1));
        stereo[2 * i] = from[0] * gain;
        stereo[2 * i + 1] = from[1] * gain;
    }
}
