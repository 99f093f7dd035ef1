// Reaction stats: thresholds of the show's reactions and the table they are printed in.
#include "reaction_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The show's limits, each in the precision the show compares in.
constexpr float kSilenceFloor = 0.00001f;  // Spectrum[20] below this is silence (single)
constexpr double kHighBandOn = 0.06;       // the high-band sum at least this (double)
constexpr double kLetterboxOn = 0.04;      // band[5] above this (double)

// Share of n in total as a percentage.
double percent(long n, long total) {
    return total ? 100.0 * n / total : 0.0;
}

// Level in dBFS of a linear amplitude; very quiet reads as -120.
double dbfs(double amplitude) {
    return amplitude > 1e-6 ? 20.0 * std::log10(amplitude) : -120.0;
}

}  // namespace

// Adds one frame's reading to the totals.
void addReading(ReactionStats &stats, const FrameReading &reading, int windowSamples) {
    ++stats.frames;
    if (reading.silence < kSilenceFloor) {
        ++stats.silent;
        if (!reading.digitalSilence) ++stats.silentNotZero;
    }
    if (reading.highBand >= kHighBandOn) ++stats.high;
    if (static_cast<double>(reading.letterbox) > kLetterboxOn) ++stats.letterbox;
    stats.levelMin = std::min(stats.levelMin, static_cast<double>(reading.level));
    stats.levelMax = std::max(stats.levelMax, static_cast<double>(reading.level));
    stats.levelSum += reading.level;
    stats.band16Sum += reading.band16;
    stats.bin12Sum += reading.bin12;
    stats.bin500Sum += reading.bin500;
    stats.squares += reading.sumSquares;
    stats.samples += windowSamples;
    stats.peak = std::max(stats.peak, reading.peak);
}

// Prints the header line of the table.
void printStatsHeader() {
    std::printf("%-16s %13s %6s %6s %6s %6s %6s %6s %6s %6s %7s %6s %6s %6s %6s\n", "stretch",
                "seconds", "frames", "sil%", "silNZ%", "high%", "lbox%", "lvMin", "lvMean", "lvMax",
                "b16", "s12x4", "s500x3", "rmsdB", "pkdB");
}

// Prints one row of the table.
void printStats(const ReactionStats &s) {
    const double n = s.frames ? static_cast<double>(s.frames) : 1.0;
    const double rms = s.samples ? std::sqrt(s.squares / s.samples) : 0.0;
    std::printf("%-16s %6.1f-%6.1f %6ld %6.1f %6.1f %6.1f %6.1f %6.3f %6.3f %6.3f %7.4f %6.3f "
                "%6.3f %6.1f %6.1f\n",
                s.name.c_str(), s.from, s.to, s.frames, percent(s.silent, s.frames),
                percent(s.silentNotZero, s.frames), percent(s.high, s.frames),
                percent(s.letterbox, s.frames), s.frames ? s.levelMin : 0.0, s.levelSum / n,
                s.levelMax, s.band16Sum / n, s.bin12Sum / n, s.bin500Sum / n, dbfs(rms),
                dbfs(s.peak));
}
