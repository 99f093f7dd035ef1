// The work glaxen-render does on its frames beside computing them: converting each to its y4m
// planes and encoding and writing each PNG, on as many threads as there are cores. The frames'
// thread copies a frame into a free slot and goes on; it takes the slots back in frame order,
// so the y4m stream is written in order, by the thread that also writes the other streams.
// Everything is allocated when the workers start. Needs: render/png_encoder.h,
// render/y4m_stream.h, render/output_file.h.
#pragma once

#include "common/pixel.h"
#include "render/output_file.h"
#include "render/png_encoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class SlotState { kFree, kQueued, kWorking, kDone };

// One frame on its way through the workers.
struct FrameSlot {
    SlotState state = SlotState::kFree;
    uint64_t frame = 0;
    std::vector<Pixel> pixels;  // the frame's copy
    std::vector<uint8_t> y4m;   // its y4m frame, when the stream is asked for
    char pngName[32] = {};      // its PNG's name, when PNGs are asked for
    std::string error;          // its worker's failure
};

struct FrameWorkers {
    bool y4m = false;                  // convert each frame for the y4m stream
    const FrameFolder *png = nullptr;  // write each frame's PNG there; none: no PNGs
    std::vector<FrameSlot> slots;
    uint64_t submitted = 0;  // frames given to the workers so far
    uint64_t retired = 0;    // frames taken back so far, in order
    std::vector<PngEncoder> encoders;
    std::vector<std::thread> threads;
    std::mutex lock;
    std::condition_variable queued, done;
    bool stopping = false;
    std::atomic<bool> failed{false};  // error holds a worker's first failure
    std::string error;
};

// Starts threads workers for y4m conversion and PNGs into png; false with error set when the
// encoders cannot be made. Starts nothing when neither is asked for.
bool startFrameWorkers(FrameWorkers &workers, bool y4m, const FrameFolder *png, int threads,
                       std::string &error);
// True when the workers take frames.
bool frameWorkersActive(const FrameWorkers &workers);

// The free slot the next frame goes into, or nullptr when a signal or a worker's failure ended
// the wait. Before it can reuse a slot it takes the oldest back, handing it to retire first.
FrameSlot *freeSlot(FrameWorkers &workers, bool (*retire)(void *user, FrameSlot &slot), void *user);
// Gives a filled slot to the workers.
void submitSlot(FrameWorkers &workers, FrameSlot &slot, uint64_t frame);
// Takes back, in order, the slots that are done (all of them, waiting, when wait is set), each
// handed to retire; false when retire fails, a signal comes or a worker fails.
bool retireDone(FrameWorkers &workers, bool wait, bool (*retire)(void *user, FrameSlot &slot),
                void *user);
// Stops the threads (unfinished work is dropped) and frees everything.
void stopFrameWorkers(FrameWorkers &workers);
