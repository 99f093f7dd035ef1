// The heard position from a device's hand-overs (see playback_clock.h).
#include "audio/playback_clock.h"

#include <algorithm>
#include <chrono>

// Nothing handed over, nothing heard.
void clockReset(PlaybackClock &clock, int latencyFrames) {
    clock = PlaybackClock{};
    clock.latencyFrames = latencyFrames;
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
        elapsed = (nowNs - clock.handOverNs) * kMusicRate / 1'000'000'000;
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

// steady_clock, in nanoseconds.
int64_t monotonicNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}
