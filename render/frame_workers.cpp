// The work on frames beside computing them (see frame_workers.h).
#include "render/frame_workers.h"

#include "render/interrupts.h"
#include "render/output_file.h"
#include "render/y4m_stream.h"
#include "show/frame_passes.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSlotsPerThread = 2;  // frames in flight per worker, beside the one being made
constexpr auto kWaitStep = std::chrono::milliseconds(20);  // signals are looked at this often

// One worker: the oldest queued slot, converted and encoded outside the lock.
void workerLoop(FrameWorkers &w, PngEncoder &encoder) {
    std::unique_lock<std::mutex> hold(w.lock);
    for (;;) {
        FrameSlot *slot = nullptr;
        w.queued.wait(hold, [&] {
            for (uint64_t k = w.retired; k < w.submitted && slot == nullptr; ++k)
                if (w.slots[k % w.slots.size()].state == SlotState::kQueued)
                    slot = &w.slots[k % w.slots.size()];
            return w.stopping || slot != nullptr;
        });
        if (w.stopping) return;
        slot->state = SlotState::kWorking;
        hold.unlock();
        if (w.y4m) frameToY4m(slot->pixels.data(), slot->y4m.data());
        bool written = true;
        if (w.png != nullptr) {
            const size_t size = encodePng(encoder, slot->pixels.data());
            written = writeFrameFile(*w.png, slot->pngName, encoder.file.data(), size, slot->error);
        }
        hold.lock();
        slot->state = SlotState::kDone;
        if (!written && !slot->error.empty() && !w.failed) {
            w.error = slot->error;
            w.failed = true;
        }
        w.done.notify_all();
    }
}

// Waits in steps until the oldest slot is done; false when a signal or a failure ends it.
bool waitOldest(FrameWorkers &w, std::unique_lock<std::mutex> &hold) {
    FrameSlot &oldest = w.slots[w.retired % w.slots.size()];
    while (oldest.state != SlotState::kDone) {
        if (interruptSignal() != 0 || w.failed) return false;
        w.done.wait_for(hold, kWaitStep);
    }
    return !w.failed;
}

// Hands the oldest slot, which is done, to retire outside the lock (no worker touches a slot
// that is done, and retire may wait on a slow reader) and frees it.
bool retireOldest(FrameWorkers &w, std::unique_lock<std::mutex> &hold,
                  bool (*retire)(void *, FrameSlot &), void *user) {
    FrameSlot &oldest = w.slots[w.retired % w.slots.size()];
    hold.unlock();
    const bool retired = retire(user, oldest);
    hold.lock();
    if (!retired) return false;
    oldest.state = SlotState::kFree;
    ++w.retired;
    return true;
}

}  // namespace

// Slots and encoders are made here, so the frames' loop allocates nothing.
bool startFrameWorkers(FrameWorkers &w, bool y4m, const FrameFolder *png, int threads,
                       std::string &error) {
    w.y4m = y4m;
    w.png = png;
    if (!frameWorkersActive(w)) return true;
    w.slots.resize(size_t(kSlotsPerThread * threads + 1));
    for (FrameSlot &slot : w.slots) {
        slot.pixels.assign(kScreenPixels, 0);
        if (y4m) slot.y4m.assign(kY4mFrameBytes, 0);
    }
    w.encoders.resize(size_t(threads));
    for (PngEncoder &encoder : w.encoders)
        if (png != nullptr && !createPngEncoder(encoder)) {
            error = "cannot make the PNG encoder: out of memory";
            return false;
        }
    withInterruptsBlocked([&] {
        for (PngEncoder &encoder : w.encoders)
            w.threads.emplace_back(workerLoop, std::ref(w), std::ref(encoder));
    });
    return true;
}

// Either output makes them work.
bool frameWorkersActive(const FrameWorkers &w) {
    return w.y4m || w.png != nullptr;
}

// The slot after the newest is free once the oldest, which it wraps onto, is taken back.
FrameSlot *freeSlot(FrameWorkers &w, bool (*retire)(void *, FrameSlot &), void *user) {
    std::unique_lock<std::mutex> hold(w.lock);
    if (w.submitted - w.retired == w.slots.size()) {
        if (!waitOldest(w, hold) || !retireOldest(w, hold, retire, user)) return nullptr;
    }
    return &w.slots[w.submitted % w.slots.size()];
}

// The PNG's name is formatted into the slot's own buffer.
void submitSlot(FrameWorkers &w, FrameSlot &slot, uint64_t frame) {
    if (w.png != nullptr)
        std::snprintf(slot.pngName, sizeof slot.pngName, "frame_%06llu.png",
                      static_cast<unsigned long long>(frame));
    std::lock_guard<std::mutex> hold(w.lock);
    slot.frame = frame;
    slot.state = SlotState::kQueued;
    ++w.submitted;
    w.queued.notify_one();
}

// In frame order: a later slot that is done waits for the earlier ones.
bool retireDone(FrameWorkers &w, bool wait, bool (*retire)(void *, FrameSlot &), void *user) {
    std::unique_lock<std::mutex> hold(w.lock);
    while (w.retired < w.submitted) {
        if (w.slots[w.retired % w.slots.size()].state != SlotState::kDone) {
            if (!wait) break;
            if (!waitOldest(w, hold)) return false;
        }
        if (!retireOldest(w, hold, retire, user)) return false;
    }
    return !w.failed && interruptSignal() == 0;
}

// A worker in the middle of a PNG finishes it; the rest is dropped.
void stopFrameWorkers(FrameWorkers &w) {
    {
        std::lock_guard<std::mutex> hold(w.lock);
        w.stopping = true;
    }
    w.queued.notify_all();
    for (std::thread &thread : w.threads) thread.join();
    w.threads.clear();
    for (PngEncoder &encoder : w.encoders) destroyPngEncoder(encoder);
}
