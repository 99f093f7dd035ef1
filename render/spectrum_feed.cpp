// glaxen-render's spectra computed ahead (see spectrum_feed.h).
#include "render/spectrum_feed.h"

#include "audio/spectrum.h"
#include "render/interrupts.h"
#include "show/virtual_clock.h"

#include <chrono>
#include <cstring>

namespace {

constexpr uint64_t kFeedAhead = 64;                        // spectra computed ahead at most
constexpr auto kWaitStep = std::chrono::milliseconds(20);  // signals are looked at this often

// The feed's thread: one spectrum after another into the ring, waiting while it is full.
void feedLoop(SpectrumFeed &f) {
    std::unique_lock<std::mutex> hold(f.lock);
    for (uint64_t k = 0; k < f.frames; ++k) {
        f.changed.wait(hold, [&] { return f.stopping || k - f.consumed < kFeedAhead; });
        if (f.stopping) return;
        const size_t slot = k % kFeedAhead;
        hold.unlock();  // the consumer never reads an entry at or after produced
        float *out = f.ring.data() + slot * kSpectrumSize;
        f.present[slot] = readSpectrum(*f.source, k, frameTime(k, f.fpsNum, f.fpsDen), out);
        hold.lock();
        f.produced = k + 1;
        f.changed.notify_all();
    }
}

}  // namespace

// The ring is allocated here, once.
void startSpectrumFeed(SpectrumFeed &f, SpectrumSource &source, uint32_t fpsNum, uint32_t fpsDen,
                       uint64_t frames) {
    f.source = &source;
    f.fpsNum = fpsNum;
    f.fpsDen = fpsDen;
    f.frames = frames;
    if (source.kind == SpectrumKind::kSilent) return;
    f.ring.assign(kFeedAhead * kSpectrumSize, 0.0f);
    f.present.assign(kFeedAhead, 0);
    withInterruptsBlocked([&] { f.thread = std::thread(feedLoop, std::ref(f)); });
}

// Waits in steps, so a signal ends the wait.
FeedResult takeSpectrum(SpectrumFeed &f, uint64_t frame, float *out) {
    if (!f.thread.joinable()) return FeedResult::kNone;
    std::unique_lock<std::mutex> hold(f.lock);
    while (f.produced <= frame) {
        if (interruptSignal() != 0) return FeedResult::kInterrupted;
        f.changed.wait_for(hold, kWaitStep);
    }
    const size_t slot = frame % kFeedAhead;
    const bool present = f.present[slot] != 0;
    if (present)
        std::memcpy(out, f.ring.data() + slot * kSpectrumSize, sizeof(float) * kSpectrumSize);
    f.consumed = frame + 1;
    f.changed.notify_all();
    return present ? FeedResult::kSpectrum : FeedResult::kNone;
}

// Safe to call twice, and on a feed that started no thread.
void stopSpectrumFeed(SpectrumFeed &f) {
    {
        std::lock_guard<std::mutex> hold(f.lock);
        f.stopping = true;
    }
    f.changed.notify_all();
    if (f.thread.joinable()) f.thread.join();
}
