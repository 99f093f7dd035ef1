// The audio layer's position arithmetic: where in the stream the listener is, worked out from
// the device's buffer hand-overs, and the ring of decoded frames indexed by stream position.
// Plain data and arithmetic; needs nothing.
#pragma once

#include <cstdint>
#include <vector>

// The device's progress through the stream. A buffer handed over at a callback is heard one
// device latency later, and then plays out at the stream's rate.
struct PlaybackClock {
    int rate = 44100;         // stream frames per second
    int latencyFrames = 0;    // from a buffer's hand-over to its first frame being heard
    int64_t bufferStart = 0;  // stream frame at the start of the latest buffer handed over
    int bufferFrames = 0;     // frames in that buffer
    int64_t handOverNs = 0;   // when it was handed over
    bool running = false;     // false before the first hand-over and after a freeze
};

// Back to the start of the stream, with nothing handed over yet.
void clockReset(PlaybackClock &clock, int latencyFrames);

// The device took frames from stream frame start at nowNs.
void clockHandOver(PlaybackClock &clock, int64_t start, int frames, int64_t nowNs);

// The stream frame heard at nowNs: the latest buffer's start less the latency, plus the time
// since its hand-over, but never past that buffer's end. Negative before the first frame.
int64_t heardFrame(const PlaybackClock &clock, int64_t nowNs);

// Holds the heard position where it is at nowNs (the device stopped).
void clockFreeze(PlaybackClock &clock, int64_t nowNs);

// Decoded stereo frames by stream position: frame f lives at slot f mod capacity, so the ring
// holds the latest capacity frames before end.
struct StreamRing {
    std::vector<float> frames;  // 2 floats a frame
    int64_t capacity = 0;       // a power of two
    int64_t end = 0;            // one past the newest frame
    int64_t length = -1;        // the stream's length once its last frame is in; -1 before
};

// Sizes the ring to at least minFrames (rounded up to a power of two) and empties it.
void ringAllocate(StreamRing &ring, int minFrames);

// Empties the ring at stream position 0.
void ringClear(StreamRing &ring);

// The free slots after end up to the wrap: where the next frames are written, *frames of them.
float *ringWriteSpan(StreamRing &ring, int *frames);

// frames were written at end.
void ringCommit(StreamRing &ring, int frames);

// Copies count frames from stream frame first on, times gain; frames the ring does not hold
// (before 0, overwritten, not decoded yet, past the stream's end) are silence.
void ringCopy(const StreamRing &ring, int64_t first, int count, float gain, float *stereo);
