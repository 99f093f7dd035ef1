// A progress bar on standard error for glaxen-render: frames done, frames per second, time
// left. Silent when standard error is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>

struct Progress {
    bool enabled = false;
    uint64_t total = 0;  // frames to compute
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
};

// Starts the bar for total frames.
void progressStart(Progress &progress, uint64_t total);
// Redraws the bar, at most ten times a second.
void progressUpdate(Progress &progress, uint64_t done);
// Draws the final state and ends the line.
void progressFinish(Progress &progress, uint64_t done);
