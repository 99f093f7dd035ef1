// Music report: replays the show's 60 Hz spectrum reads over an Ogg file and tabulates reactions.
#include "audio/spectrum.h"
#include "ogg_decoder.h"
#include "reaction_stats.h"
#include "show/frame_passes.h"
#include "track_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFramesPerSecond = 60;
constexpr double kWindowSeconds = 10.0;

// Level in dBFS of a linear amplitude.
double dbfs(double amplitude) {
    return amplitude > 1e-9 ? 20.0 * std::log10(amplitude) : -180.0;
}

// Whole-file facts: format, length, bitrate, peak and clipping.
void printFileFacts(const std::string &path, const DecodedAudio &audio) {
    float peak = 0.0f;
    long clipped = 0;
    double squares = 0.0;
    for (float s : audio.samples) {
        peak = std::max(peak, std::abs(s));
        if (std::abs(s) >= 1.0f) ++clipped;
        squares += static_cast<double>(s) * s;
    }
    const double rms = audio.samples.empty() ? 0.0 : std::sqrt(squares / audio.samples.size());
    std::printf("%s: %d Hz, %d channels, %.3f s, nominal %.0f kbit/s, average %.1f kbit/s\n",
                path.c_str(), audio.rate, audio.channels,
                static_cast<double>(audio.frames) / audio.rate, audio.nominalBitrate / 1000.0,
                audio.averageBitrate / 1000.0);
    std::printf("peak %.2f dBFS, samples at or past full scale %ld, overall RMS %.1f dBFS\n\n",
                dbfs(peak), clipped, dbfs(rms));
}

// Copies the 2048 frames from start (zeros past the end) and mixes them to mono.
void windowAt(const DecodedAudio &audio, long start, std::vector<float> &interleaved,
              std::vector<float> &mono, FrameReading &reading) {
    const int ch = audio.channels;
    std::fill(interleaved.begin(), interleaved.end(), 0.0f);
    const long available = std::clamp(audio.frames - start, 0L, static_cast<long>(kSpectrumWindow));
    std::copy_n(audio.samples.begin() + start * ch, available * ch, interleaved.begin());
    mixToMono(interleaved.data(), kSpectrumWindow, ch, mono.data());
    reading.peak = 0.0f;
    bool zero = true;
    for (float s : interleaved) {
        reading.peak = std::max(reading.peak, std::abs(s));
        if (s != 0.0f) zero = false;
    }
    reading.digitalSilence = zero;
    reading.sumSquares = 0.0;
    for (float s : mono) reading.sumSquares += static_cast<double>(s) * s;
}

// One frame's readings on a line, for looking closely at a stretch.
void printReading(long k, const FrameReading &r) {
    std::printf("frame %5ld %8.3f s  s20 %.2e  high %.4f  band5 %.4f  level %.3f  band16 %.4f%s\n",
                k, r.seconds, r.silence, r.highBand, r.letterbox, r.level, r.band16,
                r.digitalSilence ? "  (digital silence)" : "");
}

// The show's smoothed slots, smoothed by the show's own function.
struct ShowBands {
    float band[kSpectrumSize] = {};
};

// Updates the smoothed slots and fills the reading from one frame's spectrum.
void readSpectrum(const float *spectrum, ShowBands &bands, FrameReading &reading) {
    smoothBands(bands.band, spectrum);
    reading.silence = spectrum[20];
    reading.highBand =
        static_cast<double>(spectrum[300]) * 50 + static_cast<double>(bands.band[10]);
    reading.letterbox = bands.band[5];
    reading.bin12 = spectrum[12] * 4.0f;
    reading.bin500 = spectrum[500] * 3.0f;
    reading.level = std::min(1.0f, reading.bin12 + reading.bin500);
    reading.band16 = bands.band[16];
}

// Empty totals for every ten seconds of the file.
std::vector<ReactionStats> tenSecondWindows(double duration) {
    std::vector<ReactionStats> windows;
    for (double t = 0.0; t < duration; t += kWindowSeconds) {
        ReactionStats w;
        w.from = t;
        w.to = std::min(t + kWindowSeconds, duration);
        char name[32];
        std::snprintf(name, sizeof name, "%.0f-%.0f s", w.from, w.to);
        w.name = name;
        windows.push_back(w);
    }
    return windows;
}

// Empty totals for every named section of the arrangement.
std::vector<ReactionStats> namedSections(double duration) {
    std::vector<ReactionStats> sections(kSectionCount);
    for (int s = 0; s < kSectionCount; ++s) {
        sections[s].name = kSections[s].name;
        sections[s].from = barTime(kSections[s].firstBar);
        sections[s].to = s + 1 < kSectionCount ? barTime(kSections[s + 1].firstBar) : duration;
    }
    return sections;
}

}  // namespace

// Usage: music_report FILE.ogg [FROM TO]; with FROM and TO (seconds) every frame between them
// is listed as well.
int main(int argc, char **argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s FILE.ogg [FROM_SECONDS TO_SECONDS]\n", argv[0]);
        return 2;
    }
    const double listFrom = argc == 4 ? std::atof(argv[2]) : -1.0;
    const double listTo = argc == 4 ? std::atof(argv[3]) : -1.0;
    DecodedAudio audio;
    std::string error;
    if (!decodeOggVorbis(argv[1], audio, error)) {
        std::fprintf(stderr, "music_report: %s\n", error.c_str());
        return 1;
    }
    printFileFacts(argv[1], audio);
    SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
    if (!analyzer) {
        std::fprintf(stderr, "music_report: out of memory\n");
        return 1;
    }
    const double duration = static_cast<double>(audio.frames) / audio.rate;
    std::vector<ReactionStats> windows = tenSecondWindows(duration);
    std::vector<ReactionStats> sections = namedSections(duration);
    ReactionStats whole{"whole file"};
    whole.to = duration;

    std::vector<float> interleaved(static_cast<std::size_t>(kSpectrumWindow) * audio.channels);
    std::vector<float> mono(kSpectrumWindow), spectrum(kSpectrumSize);
    ShowBands bands;
    for (long k = 0;; ++k) {
        const long ms = k * 1000 / kFramesPerSecond;
        if (ms >= static_cast<long>(duration * 1000.0)) break;
        FrameReading reading{};
        reading.seconds = ms / 1000.0;
        windowAt(audio, ms * audio.rate / 1000, interleaved, mono, reading);
        analyzeSpectrum(analyzer, mono.data(), spectrum.data());
        readSpectrum(spectrum.data(), bands, reading);
        const auto index = static_cast<std::size_t>(reading.seconds / kWindowSeconds);
        if (index < windows.size()) addReading(windows[index], reading, kSpectrumWindow);
        for (ReactionStats &s : sections) {
            if (reading.seconds >= s.from && reading.seconds < s.to) {
                addReading(s, reading, kSpectrumWindow);
            }
        }
        addReading(whole, reading, kSpectrumWindow);
        if (reading.seconds >= listFrom && reading.seconds < listTo) printReading(k, reading);
    }
    destroySpectrumAnalyzer(analyzer);

    std::printf(
        "sil%%: Spectrum[20] < 0.00001; silNZ%%: the same while the window is not all zeros;\n"
        "high%%: Spectrum[300]*50 + band[10] >= 0.06; lbox%%: band[5] > 0.04;\n"
        "lv: min(1, Spectrum[500]*3 + Spectrum[12]*4); b16: mean band[16]; s12x4, s500x3: "
        "mean parts of the level; rms and peak of the windows read.\n\n");
    printStatsHeader();
    for (const ReactionStats &s : windows) printStats(s);
    std::printf("\n");
    printStatsHeader();
    for (const ReactionStats &s : sections) printStats(s);
    printStats(whole);
    return 0;
}
