// glaxen-render's spectra computed ahead, on a thread of their own: frame k's spectrum at frame
// k's time on the virtual clock, in order, so decoding and analysing the music runs beside the
// frames. Needs: audio/spectrum_sources.h, show/virtual_clock.h.
#pragma once

#include "audio/spectrum_sources.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct SpectrumFeed {
    SpectrumSource *source = nullptr;  // read by the feed's thread only, while it runs
    uint32_t fpsNum = 60, fpsDen = 1;
    uint64_t frames = 0;           // spectra to compute: frames 0 to frames - 1
    std::vector<float> ring;       // kFeedAhead spectra
    std::vector<uint8_t> present;  // per ring entry: readSpectrum gave a spectrum
    uint64_t produced = 0;         // spectra computed so far
    uint64_t consumed = 0;         // spectra taken so far
    bool stopping = false;
    std::mutex lock;
    std::condition_variable changed;  // produced, consumed or stopping moved
    std::thread thread;
};

enum class FeedResult { kSpectrum, kNone, kInterrupted };

// Starts computing the spectra of frames 0 to frames - 1 from source. A silent source starts
// no thread.
void startSpectrumFeed(SpectrumFeed &feed, SpectrumSource &source, uint32_t fpsNum, uint32_t fpsDen,
                       uint64_t frames);
// Copies frame's spectrum into out (kSpectrum) or leaves out as it is (kNone: no stream, or it
// has ended); waits for it while a signal has not come (kInterrupted). Frames are taken in
// order, each once.
FeedResult takeSpectrum(SpectrumFeed &feed, uint64_t frame, float *out);
// Stops and joins the thread.
void stopSpectrumFeed(SpectrumFeed &feed);
