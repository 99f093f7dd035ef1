// The ring of decoded frames (see stream_ring.h).
#include "audio/stream_ring.h"

#include <algorithm>
#include <bit>
#include <cassert>

// Power-of-two capacity, so a position's slot is a mask away.
void ringAllocate(StreamRing &ring, int minFrames) {
    assert(minFrames > 0 && "ring: needs room for at least one frame");
    ring.capacity = static_cast<int64_t>(std::bit_ceil(static_cast<uint64_t>(minFrames)));
    ring.frames.assign(2 * static_cast<size_t>(ring.capacity), 0.0f);
    ringRestart(ring, 0);
}

// Nothing held, length unknown.
void ringRestart(StreamRing &ring, int64_t first) {
    ring.first = ring.end = first;
    ring.length = -1;
}

// Overwritten frames are gone; those before the start never came.
int64_t ringOldest(const StreamRing &ring) {
    return std::max(ring.first, ring.end - ring.capacity);
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
    const int64_t oldest = ringOldest(ring);
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
