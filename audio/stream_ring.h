// Decoded stereo frames by stream position: frame f lives at slot f mod capacity, so the ring
// holds the latest capacity frames before end, from its first frame on. Plain data; needs
// nothing.
#pragma once

#include <cstdint>
#include <vector>

struct StreamRing {
    std::vector<float> frames;  // 2 floats a frame
    int64_t capacity = 0;       // a power of two
    int64_t first = 0;          // the frame the ring was last started at
    int64_t end = 0;            // one past the newest frame
    int64_t length = -1;        // the stream's length once its last frame is in; -1 before
};

// Sizes the ring to at least minFrames (rounded up to a power of two) and empties it at 0.
void ringAllocate(StreamRing &ring, int minFrames);

// Empties the ring, its next frame at stream position first.
void ringRestart(StreamRing &ring, int64_t first);

// The oldest frame the ring still holds.
int64_t ringOldest(const StreamRing &ring);

// The free slots after end up to the wrap: where the next frames are written, *frames of them.
float *ringWriteSpan(StreamRing &ring, int *frames);

// frames were written at end.
void ringCommit(StreamRing &ring, int frames);

// Copies count frames from stream frame first on, times gain; frames the ring does not hold
// (before its first, overwritten, not decoded yet, past the stream's end) are silence.
void ringCopy(const StreamRing &ring, int64_t first, int count, float gain, float *stereo);
