// e2e_helper: what the end-to-end tests read from the X screen and from recordings, and what
// they do to the show's window. Prints one line; exit status 0 when it holds. Usage:
//   e2e_helper changes X Y W H SECONDS  grabs the rectangle of the root window as often as it
//                                        can: "over=F grabs=N", the share of its pixels that
//                                        changed colour eight times or more within some second
//                                        (grabs slower than the screen only miss changes)
//   e2e_helper close WINDOW_ID          asks an X11 window to close as a window manager's close
//                                        button does (WM_PROTOCOLS carrying WM_DELETE_WINDOW)
//   e2e_helper music OUTPUT.raw MUSIC.ogg BUFFER_FRAMES MIN_SECONDS
//                                        SDL's disk audio output (32-bit float stereo at
//                                        kMusicRate) is whole buffers of silence, a paused
//                                        device's, then the music from its first frame (its own
//                                        silent start included) to within rounding for at least
//                                        MIN_SECONDS
//   e2e_helper level FILE.raw FROM TO   the loudness from second FROM to TO of a recording in
//                                        16-bit stereo at 44100 Hz: "rms=R peak=P seconds=S"
#include "audio/vorbis_music.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

constexpr int kTooMany = 8;                 // changes within a second: more than three flashes'
constexpr double kTolerance = 2.0 / 32768;  // a 16-bit step either way, for format conversions

// The rectangle's pixels now, a row after another; an X error has Xlib end the program first.
std::vector<char> grab(Display *display, int x, int y, int w, int h) {
    XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(w), unsigned(h),
                              AllPlanes, ZPixmap);
    std::vector<char> pixels;
    const int bytes = image->bits_per_pixel / 8 * w;
    for (int row = 0; row < h; ++row)
        pixels.insert(pixels.end(), image->data + row * image->bytes_per_line,
                      image->data + row * image->bytes_per_line + bytes);
    XDestroyImage(image);
    return pixels;
}

// How often the rectangle's pixels change colour, over seconds of grabs.
int pixelChanges(Display *display, int x, int y, int w, int h, int seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const size_t count = size_t(w) * h;
    std::vector<std::array<int64_t, kTooMany - 1>> times(count);  // each pixel's latest, in turn
    std::vector<int> made(count, 0);
    std::vector<bool> over(count, false);
    std::vector<char> before = grab(display, x, y, w, h);
    int grabs = 1;
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        const std::vector<char> after = grab(display, x, y, w, h);
        const int64_t ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        const size_t bytes = after.size() / count;
        for (size_t p = 0; p < count; ++p) {
            if (std::memcmp(&after[p * bytes], &before[p * bytes], bytes) == 0) continue;
            int64_t &oldest = times[p][made[p] % (kTooMany - 1)];  // kTooMany - 1 changes ago
            if (made[p] >= kTooMany - 1 && ms - oldest < 1000) over[p] = true;
            oldest = ms;
            ++made[p];
        }
        before = after;
        ++grabs;
    }
    std::printf("over=%.4f grabs=%d\n",
                double(std::count(over.begin(), over.end(), true)) / double(count), grabs);
    return 0;
}

// Sends the window WM_DELETE_WINDOW, as a window manager's close button does.
int closeWindow(Display *display, Window window) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    // data.l[1], the time, stays CurrentTime (0)
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    return XSendEvent(display, window, False, NoEventMask, &event) ? 0 : 1;
}

// A raw recording's samples from index from up to to, or to its end.
template <typename Sample> std::vector<Sample> readRaw(const char *path, size_t from, size_t to) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const size_t end = in ? std::min(size_t(in.tellg()) / sizeof(Sample), to) : 0;
    std::vector<Sample> samples(end > from ? end - from : 0);
    in.seekg(std::streamoff(from * sizeof(Sample)));
    in.read(reinterpret_cast<char *>(samples.data()),
            std::streamsize(samples.size() * sizeof(Sample)));
    return samples;
}

// Frames at the start where both channels are exactly zero.
size_t silentFrames(const std::vector<float> &stereo) {
    size_t n = 0;
    while (2 * n + 1 < stereo.size() && stereo[2 * n] == 0.0f && stereo[2 * n + 1] == 0.0f) ++n;
    return n;
}

// Whole buffers of silence in the output, then the music as the show's decoder gives it.
int compareMusic(const char *outputPath, const char *musicPath, size_t buffer, double minSeconds) {
    const std::vector<float> output = readRaw<float>(outputPath, 0, SIZE_MAX);
    const size_t frames = output.size() / 2;
    VorbisMusic *decoder = openVorbisMusic(musicPath);
    if (decoder == nullptr) {
        std::printf("cannot decode %s\n", musicPath);
        return 1;
    }
    std::vector<float> decoded(2 * frames);
    decoded.resize(2 * size_t(readVorbisMusic(decoder, decoded.data(), int(frames))));
    closeVorbisMusic(decoder);
    const size_t lead = silentFrames(output), quiet = silentFrames(decoded);
    if (lead == frames || lead < quiet || (lead - quiet) % buffer != 0) {
        std::printf("the music starts %zu of the output's %zu frames in (its own silence is %zu "
                    "frames), not after whole %zu-frame buffers of silence\n",
                    lead, frames, quiet, buffer);
        return 1;
    }
    const size_t start = lead - quiet;
    const size_t count = std::min(frames - start, decoded.size() / 2);
    if (double(count) < minSeconds * kMusicRate) {
        std::printf("only %zu frames of music in the output\n", count);
        return 1;
    }
    double worst = 0.0;
    size_t worstAt = 0;
    for (size_t i = 0; i < 2 * count; ++i) {
        const double difference = std::abs(double(output[2 * start + i]) - decoded[i]);
        if (difference > worst) {
            worst = difference;
            worstAt = i / 2;
        }
    }
    if (worst > kTolerance) {
        std::printf("frame %zu of the music differs by %g (more than %g)\n", worstAt, worst,
                    kTolerance);
        return 1;
    }
    std::printf("%zu buffers of silence while paused, then %.2f s of the music from its first "
                "frame, within %g\n",
                start / buffer, double(count) / kMusicRate, worst);
    return 0;
}

// The rms and peak level of a recording from second from to second to.
int soundLevel(const char *path, double from, double to) {
    constexpr double kFramesPerSecond = 44100;
    const std::vector<int16_t> samples = readRaw<int16_t>(path, 2 * size_t(from * kFramesPerSecond),
                                                          2 * size_t(to * kFramesPerSecond));
    if (samples.empty()) {
        std::printf("the file holds nothing from %g s on\n", from);
        return 1;
    }
    double sum = 0, peak = 0;
    for (const int16_t s : samples) {
        const double v = s / 32768.0;
        sum += v * v;
        peak = std::max(peak, std::abs(v));
    }
    std::printf("rms=%.5f peak=%.5f seconds=%.2f\n", std::sqrt(sum / double(samples.size())), peak,
                double(samples.size()) / 2 / kFramesPerSecond);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    const auto number = [&](int i) { return std::atof(argv[i]); };
    if (command == "music" && argc == 6)
        return compareMusic(argv[2], argv[3], size_t(number(4)), number(5));
    if (command == "level" && argc == 5) return soundLevel(argv[2], number(3), number(4));
    if ((command != "changes" || argc != 7) && (command != "close" || argc != 3)) {
        std::printf(
            "usage: e2e_helper changes X Y W H SECONDS | close WINDOW_ID |\n"
            "  music OUTPUT.raw MUSIC.ogg BUFFER_FRAMES MIN_SECONDS | level FILE.raw FROM TO\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("cannot open the display\n");
        return 1;
    }
    const int code = command == "close"
                         ? closeWindow(display, std::strtoul(argv[2], nullptr, 0))
                         : pixelChanges(display, int(number(2)), int(number(3)), int(number(4)),
                                        int(number(5)), int(number(6)));
    XCloseDisplay(display);
    return code;
}
