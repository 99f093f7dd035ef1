// pixel_changes: how often the screen's pixels change. Grabs the rectangle x y w h of the root
// window as often as it can for SECONDS and prints the share of its pixels that changed colour
// eight times or more within some second, and the grabs taken:
//   over=F grabs=N
// Grabs that come slower than the screen changes only miss changes. Usage:
// pixel_changes X Y W H SECONDS
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kTooMany = 8;  // changes within a second: more than three flashes' worth

// The rectangle's pixels as the server holds them now, a row after another; empty on failure.
std::vector<char> grab(Display *display, int x, int y, int w, int h) {
    XImage *image = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(w), unsigned(h),
                              AllPlanes, ZPixmap);
    std::vector<char> pixels;
    if (!image) return pixels;
    const int bytes = image->bits_per_pixel / 8 * w;
    for (int row = 0; row < h; ++row)
        pixels.insert(pixels.end(), image->data + row * image->bytes_per_line,
                      image->data + row * image->bytes_per_line + bytes);
    XDestroyImage(image);
    return pixels;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: pixel_changes X Y W H SECONDS\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    const int w = std::atoi(argv[3]), h = std::atoi(argv[4]), seconds = std::atoi(argv[5]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "pixel_changes: cannot open the display\n");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const size_t count = size_t(w) * h;
    std::vector<std::array<int64_t, kTooMany - 1>> changes(count);  // each pixel's latest, in turn
    std::vector<int> made(count, 0);
    std::vector<bool> over(count, false);
    std::vector<char> before = grab(display, x, y, w, h);
    int grabs = 1;
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        const std::vector<char> after = grab(display, x, y, w, h);
        const int64_t ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (after.empty() || after.size() != before.size()) {
            std::fprintf(stderr, "pixel_changes: cannot grab the rectangle\n");
            return 1;
        }
        const size_t bytes = after.size() / count;
        for (size_t p = 0; p < count; ++p) {
            if (std::memcmp(&after[p * bytes], &before[p * bytes], bytes) == 0) continue;
            int64_t &oldest = changes[p][made[p] % (kTooMany - 1)];  // kTooMany - 1 changes ago
            if (made[p] >= kTooMany - 1 && ms - oldest < 1000) over[p] = true;
            oldest = ms;
            ++made[p];
        }
        before = after;
        ++grabs;
    }
    XCloseDisplay(display);
    const size_t overCount = size_t(std::count(over.begin(), over.end(), true));
    std::printf("over=%.4f grabs=%d\n", double(overCount) / double(count), grabs);
    return 0;
}
