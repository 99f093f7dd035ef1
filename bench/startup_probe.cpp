// startup_probe: watches an X display for the moments the start-up benchmark times, and prints
// each as milliseconds of the realtime clock.
//   startup_probe window WxH SECONDS [CLASS]   a viewable window of that size and class
//                                              ("glaxen" unless given)
//   startup_probe lit X Y W H SECONDS   the screen rectangle no longer black (5 % lit)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// Milliseconds of the realtime clock, as `date +%s%3N` prints them.
long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// True when a viewable window of this class and size is anywhere under root.
bool findWindow(Display *display, Window root, int width, int height, const char *windowClass) {
    Window parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        XClassHint hint = {};
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.width == width &&
            attributes.height == height && XGetClassHint(display, children[i], &hint)) {
            found = hint.res_class && std::strcmp(hint.res_class, windowClass) == 0;
        }
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        if (!found) found = findWindow(display, children[i], width, height, windowClass);
    }
    if (children) XFree(children);
    return found;
}

// Share of the rectangle's pixels brighter than near-black.
double litShare(Display *display, Window root, int x, int y, int w, int h) {
    XImage *image = XGetImage(display, root, x, y, w, h, AllPlanes, ZPixmap);
    if (!image) return 0;
    long lit = 0;
    for (int j = 0; j < h; j += 2)
        for (int i = 0; i < w; i += 2) {
            const unsigned long p = XGetPixel(image, i, j);
            const unsigned long r = (p & image->red_mask) * 255 / image->red_mask;
            const unsigned long g = (p & image->green_mask) * 255 / image->green_mask;
            const unsigned long b = (p & image->blue_mask) * 255 / image->blue_mask;
            lit += r > 24 || g > 24 || b > 24;
        }
    XDestroyImage(image);
    return lit / (double((w + 1) / 2) * ((h + 1) / 2));
}

// Windows come and go while the tree is walked; a vanished one is simply not the one sought.
int ignoreXError(Display *, XErrorEvent *) {
    return 0;
}

}  // namespace

// Waits for what the mode names and prints when it happened.
int main(int argc, char **argv) {
    Display *display = XOpenDisplay(nullptr);
    if (!display || argc < 2) {
        std::fprintf(stderr,
                     "usage: startup_probe window WxH SECONDS [CLASS] | lit X Y W H SECONDS\n");
        return 2;
    }
    XSetErrorHandler(ignoreXError);
    const Window root = DefaultRootWindow(display);
    const std::string mode = argv[1];
    const long long deadline = nowMs() + 1000LL * std::atoi(argv[mode == "window" ? 3 : argc - 1]);
    int width = 0, height = 0;
    if (mode == "window" && (argc == 4 || argc == 5) &&
        std::sscanf(argv[2], "%dx%d", &width, &height) == 2) {
        const char *windowClass = argc == 5 ? argv[4] : "glaxen";
        while (nowMs() < deadline) {
            if (findWindow(display, root, width, height, windowClass))
                return std::printf("%lld\n", nowMs()), 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    } else if (mode == "lit" && argc == 7) {
        const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), w = std::atoi(argv[4]),
                  h = std::atoi(argv[5]);
        while (nowMs() < deadline) {
            if (litShare(display, root, x, y, w, h) > 0.05)
                return std::printf("%lld\n", nowMs()), 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    } else {
        std::fprintf(stderr, "startup_probe: bad arguments\n");
        return 2;
    }
    std::fprintf(stderr, "startup_probe: timed out\n");
    return 1;
}
