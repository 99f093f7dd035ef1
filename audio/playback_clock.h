// Where in the stream the listener is, worked out from a device's buffer hand-overs: a buffer
// handed over at a callback is heard one device latency later, and then plays out at the
// music's rate. Plain arithmetic on nanoseconds; needs nothing.
#pragma once

#include "show/show_platform.h"

#include <cstdint>

struct PlaybackClock {
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

// The monotonic clock in nanoseconds, the one hand-overs and questions are timed on.
int64_t monotonicNs();
