// glaxen-render's progress bar (see progress.h).
#include "render/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;  // characters of the bar itself

// One line, redrawn in place.
void draw(const Progress &p, uint64_t done) {
    using namespace std::chrono;
    const double seconds = duration<double>(steady_clock::now() - p.started).count();
    const double fps = seconds > 0 ? done / seconds : 0;
    const double left = fps > 0 && p.total > done ? (p.total - done) / fps : 0;
    const int filled = p.total ? static_cast<int>(kBarWidth * double(done) / p.total) : kBarWidth;
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %llu/%llu frames  %.0f fps  %d:%02d left ", bar,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(p.total),
                 fps, static_cast<int>(left) / 60, static_cast<int>(left) % 60);
}

}  // namespace

// Only a terminal gets a bar.
void progressStart(Progress &p, uint64_t total) {
    p.enabled = isatty(STDERR_FILENO) != 0;
    p.total = total;
    p.started = p.lastDrawn = std::chrono::steady_clock::now();
}

// Throttled so drawing costs nothing next to rendering.
void progressUpdate(Progress &p, uint64_t done) {
    if (!p.enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - p.lastDrawn < std::chrono::milliseconds(100)) return;
    p.lastDrawn = now;
    draw(p, done);
}

// The last state stays on screen.
void progressFinish(Progress &p, uint64_t done) {
    if (!p.enabled) return;
    draw(p, done);
    std::fputc('\n', stderr);
}
