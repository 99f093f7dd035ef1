// Track layout: tempo, length and named sections of the music; no dependencies.
#pragma once

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBeatsPerBar = 4;
constexpr double kBarSeconds = 91.0 / 48.0;  // 48 bars end exactly at 91 s, about 126.6 bpm
constexpr double kBeatSeconds = kBarSeconds / kBeatsPerBar;
constexpr double kTrackSeconds = 141.5;  // music ends by 140 s, then the fade reaches silence
constexpr long kTrackFrames = static_cast<long>(kTrackSeconds * kSampleRate);

// One named stretch of the arrangement, in bars from the start.
struct Section {
    const char *name;
    int firstBar;
    int endBar;
};

// The arrangement's sections in order; the last one runs to the end of the track.
inline constexpr Section kSections[] = {
    {"intro", 0, 4},          {"build-up", 4, 8},        {"chorus 1", 8, 24},
    {"verse, light", 24, 32}, {"verse, groove", 32, 40}, {"chorus 2", 40, 48},
    {"breakdown", 48, 52},    {"final chorus", 52, 68},  {"outro", 68, 72},
};
inline constexpr int kSectionCount = static_cast<int>(sizeof(kSections) / sizeof(kSections[0]));

// Start time of a (possibly fractional) bar, in seconds.
constexpr double barTime(double bar) {
    return bar * kBarSeconds;
}

// Start time of a (possibly fractional) beat counted from the top, in seconds.
constexpr double beatTime(double beat) {
    return beat * kBeatSeconds;
}
