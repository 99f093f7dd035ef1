// audio_latency: how late the spectrum shows a click against the output device's own latency.
// Plays a stream of short tone bursts ("clicks") through the audio library and SDL (the dummy
// driver unless SDL_AUDIODRIVER names another), reads the spectrum on the main thread every
// 2 ms, notes when the device takes each buffer, and prints how long after the device took a
// click's first frame its bin peaks: ideally the device latency, one buffer, since a buffer
// handed over is heard one buffer later. Needs: the SDL2 audio device, libvorbisenc.
#include "platform/sdl2_audio/sdl2_audio.h"
#include "tests/audio/audio_test_files.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = kMusicRate;
constexpr int kClickBin = 200;  // 4307 Hz
constexpr int kClicks = 10;
constexpr int64_t kClickSpacing = kRate / 2;       // a click every half second, the first at 0.5 s
constexpr int64_t kClickFrames = kSpectrumWindow;  // a burst the length of one read
constexpr double kReadSeconds = 0.002;             // how often the main thread reads
constexpr double kFrameSeconds = 1.0 / 60.0;       // the goal: within one 60 Hz video frame

// The frame a click starts at.
int64_t clickStart(int click) {
    return kClickSpacing * (click + 1);
}

// The clicks: bursts of a sine at kClickBin's centre, silence between them.
float clickSample(int64_t frame, int) {
    const int64_t since = frame % kClickSpacing;
    if (frame < kClickSpacing || since >= kClickFrames) return 0.0f;
    return sineAt(binHz(kClickBin), 0.8, since, kRate);
}

// One spectrum read: when (seconds after play) and the click bin's level.
struct Reading {
    double seconds;
    float level;
};

// One buffer the device took: its first stream frame, its length, when (seconds after play).
struct HandOver {
    int64_t start;
    int frames;
    double seconds;
};

// When the device took stream frame, from the buffer that held it; -1 if none did.
double takenAt(const std::vector<HandOver> &handOvers, int64_t frame) {
    for (const HandOver &h : handOvers)
        if (frame >= h.start && frame < h.start + h.frames)
            return h.seconds + double(frame - h.start) / kRate;
    return -1.0;
}

// The time of the loudest reading between from and to, refined by a parabola through it and its
// neighbours; its level in *level.
double peakTime(const std::vector<Reading> &readings, double from, double to, float *level) {
    size_t best = 0;
    *level = -1.0f;
    for (size_t i = 1; i + 1 < readings.size(); ++i) {
        if (readings[i].seconds < from || readings[i].seconds > to) continue;
        if (readings[i].level > *level) {
            *level = readings[i].level;
            best = i;
        }
    }
    if (best == 0) return from;
    const Reading &a = readings[best - 1], &b = readings[best], &c = readings[best + 1];
    // The vertex of the parabola through the three points.
    const double da = a.seconds - b.seconds, dc = c.seconds - b.seconds;
    const double ya = a.level - b.level, yc = c.level - b.level;
    const double denominator = da * yc - dc * ya;
    if (std::abs(denominator) < 1e-12) return b.seconds;
    return b.seconds + 0.5 * (da * da * yc - dc * dc * ya) / denominator;
}

}  // namespace

// Writes the clicks, plays them, reads at 500 Hz, prints each click's delay and the summary.
// With --write-clicks FILE, only writes the clicks there and prints where they are, as JSON
// (for the web page's measurement).
int main(int argc, char **argv) {
    const OggFormat format{.rate = kRate, .frames = clickStart(kClicks) + kClickSpacing};
    if (argc == 3 && std::string(argv[1]) == "--write-clicks") {
        if (!writeOgg(argv[2], format, clickSample)) return 1;
        std::printf("{\"bin\": %d, \"first\": %g, \"spacing\": %g, \"count\": %d}\n", kClickBin,
                    double(clickStart(0)) / kRate, double(kClickSpacing) / kRate, kClicks);
        return 0;
    }
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
    TempDir dir;
    const std::string path = dir.file("clicks.ogg");
    if (dir.path.empty() || !writeOgg(path, format, clickSample)) {
        std::fprintf(stderr, "audio_latency: cannot write %s\n", path.c_str());
        return 1;
    }

    Sdl2AudioDevice device;
    AudioPlayer state;
    state.backend = sdl2AudioBackend(&device);
    const ShowAudio audio = showAudio(&state);
    if (!audio.init(audio.user, 1, kRate, 0)) return 1;
    const uint32_t stream = audio.streamCreateFile(audio.user, path.c_str(), 0, 0, 0);
    if (stream == 0) return 1;
    const double latency = double(device.obtained.samples) / kRate;
    std::printf("audio_latency: SDL driver %s, device buffer %d frames = %.1f ms (the device "
                "latency)\n",
                SDL_GetCurrentAudioDriver(), device.obtained.samples, latency * 1000.0);

    std::vector<Reading> readings;
    std::vector<HandOver> handOvers;
    const size_t expectedReads = static_cast<size_t>(double(format.frames) / kRate / kReadSeconds);
    readings.reserve(expectedReads + 1000);
    handOvers.reserve(expectedReads + 1000);
    std::vector<float> spectrum(kSpectrumSize);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const int64_t startNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    audio.channelPlay(audio.user, stream, false);
    for (;;) {
        SDL_LockAudioDevice(device.id);
        const PlaybackClock clock = state.clock;
        SDL_UnlockAudioDevice(device.id);
        if (clock.running && (handOvers.empty() || handOvers.back().start != clock.bufferStart))
            handOvers.push_back(
                {clock.bufferStart, clock.bufferFrames, double(clock.handOverNs - startNs) * 1e-9});
        const bool read =
            audio.channelGetData(audio.user, stream, spectrum.data(), kAudioDataFft2048) > 0;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!read || seconds > double(format.frames) / kRate + 2.0) break;
        readings.push_back({seconds, spectrum[kClickBin]});
        std::this_thread::sleep_for(std::chrono::duration<double>(kReadSeconds));
    }
    audio.stop(audio.user);
    audio.free(audio.user);
    if (readings.empty() || handOvers.size() < 2) {
        std::printf("the device never played\n");
        return 1;
    }
    const HandOver &first = handOvers.front(), &last = handOvers.back();
    std::printf("%zu reads, one every %.2f ms; the device took its first buffer %.1f ms after "
                "play, then %.0f frames a second by the steady clock\n",
                readings.size(), 1000.0 * readings.back().seconds / double(readings.size()),
                1000.0 * first.seconds,
                double(last.start - first.start) / (last.seconds - first.seconds));

    std::printf("click  taken (s)  peak after taken (ms)  level\n");
    double sum = 0.0, worst = 0.0;
    int seen = 0;
    for (int i = 0; i < kClicks; ++i) {
        const double taken = takenAt(handOvers, clickStart(i));
        float level = 0.0f;
        const double delay = peakTime(readings, taken - 0.2, taken + 0.2, &level) - taken;
        const bool clear = taken >= 0.0 && level >= 0.2f;
        std::printf("%5d  %9.3f  %21.1f  %5.3f%s\n", i, taken, delay * 1000.0, level,
                    clear ? "" : "  (not seen)");
        if (!clear) continue;
        ++seen;
        sum += delay;
        worst = std::max(worst, std::abs(delay - latency));
    }
    if (seen == 0) {
        std::printf("no click seen\n");
        return 1;
    }
    const double error = sum / seen - latency;
    std::printf("mean delay %.1f ms against the device latency %.1f ms: %+.1f ms, worst click "
                "%.1f ms off (goal: within %.1f ms, one 60 Hz frame): %s\n",
                1000.0 * sum / seen, 1000.0 * latency, 1000.0 * error, 1000.0 * worst,
                1000.0 * kFrameSeconds, worst <= kFrameSeconds ? "met" : "missed");
    return 0;
}
