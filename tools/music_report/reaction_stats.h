// Reaction stats: what the show's spectrum reactions see over a stretch of frames; no dependencies.
#pragma once

#include <string>

// The per-frame readings the show would take, already smoothed where the show smooths.
struct FrameReading {
    double seconds;       // playing position of the frame
    float silence;        // Spectrum[20]
    double highBand;      // Spectrum[300] * 50 + band[10], in double as the show sums it
    float letterbox;      // band[5]
    float level;          // min(1, Spectrum[500] * 3 + Spectrum[12] * 4)
    float band16;         // band[16]
    float bin12;          // Spectrum[12] * 4, the low half of the level
    float bin500;         // Spectrum[500] * 3, the high half of the level
    bool digitalSilence;  // every sample of the window is exactly zero
    double sumSquares;    // of the window's mono samples
    float peak;           // largest absolute sample of the window, any channel
};

// Running totals of one stretch (a 10-second window or a named section).
struct ReactionStats {
    std::string name;
    double from = 0.0;
    double to = 0.0;
    long frames = 0;
    long silent = 0;         // Spectrum[20] < 0.00001
    long silentNotZero = 0;  // ... while the window is not digital silence
    long high = 0;           // high-band test passes
    long letterbox = 0;      // band[5] > 0.04
    double levelMin = 1e9;
    double levelMax = 0.0;
    double levelSum = 0.0;
    double band16Sum = 0.0;
    double bin12Sum = 0.0;
    double bin500Sum = 0.0;
    double squares = 0.0;
    long samples = 0;
    float peak = 0.0f;
};

// Adds one frame's reading to the totals.
void addReading(ReactionStats &stats, const FrameReading &reading, int windowSamples);

// Prints the header line of the table.
void printStatsHeader();

// Prints one row of the table.
void printStats(const ReactionStats &stats);
