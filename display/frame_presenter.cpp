// FramePresenter's open, present and close (see frame_presenter.h).
#include "display/frame_presenter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Zeroes the first width x bytesPerPixel bytes of every row of the locked target, then shows
// it: twice over, both buffers of the chain are black before the first frame.
void clearChain(FramePresenter &p) {
    const PresenterDevice &d = p.device;
    for (int pass = 0; pass < 2; ++pass) {
        d.restore(d.user);
        void *pixels = nullptr;
        int pitch = 0;
        if (d.lock(d.user, &pixels, &pitch)) {
            const size_t rowBytes = static_cast<size_t>(p.width) * p.format.bytesPerPixel;
            for (int y = 0; y < p.height; ++y)
                std::memset(static_cast<uint8_t *>(pixels) + static_cast<ptrdiff_t>(y) * pitch, 0,
                            rowBytes);
            d.unlock(d.user);
        }
        d.show(d.user);
    }
}

}  // namespace

// In order: display, window, full-screen mode and hidden cursor, chain, target, clearing
// passes, pixel format, converter.
int presenterOpen(FramePresenter &p, const char *title, int width, int height, bool fullscreen) {
    const PresenterDevice &d = p.device;
    p.width = width;
    p.height = height;
    p.fullscreen = fullscreen;

    if (!d.loadDisplay(d.user)) return 0;
    p.displayLoaded = true;
    if (!d.createWindow(d.user, title, width, height, fullscreen)) return 0;
    p.windowMade = true;
    d.raiseWindow(d.user);
    if (fullscreen) {
        if (!d.enterFullscreen(d.user)) return 0;
        d.showCursor(d.user, false);
    }
    if (!d.createChain(d.user)) return 0;
    p.chainMade = true;
    if (!d.createTarget(d.user, width, height)) return 0;
    p.format = d.format(d.user);
    if (fullscreen) clearChain(p);

    if (!p.format.rgb) return 0;
    p.converter = requestConverter(p.format.bitCount);
    if (p.converter == nullptr) return 0;
    p.opened = true;
    p.active = true;
    return 1;
}

// One converter call when the target's rows lie back to back, one per row otherwise.
void presenterPresent(FramePresenter &p, const Pixel *frame) {
    if (!p.opened) return;
    if (!p.active && p.fullscreen) return;
    const PresenterDevice &d = p.device;
    if (d.isLost(d.user)) d.restore(d.user);

    void *pixels = nullptr;
    int pitch = 0;
    if (!d.lock(d.user, &pixels, &pitch)) return;
    if (pitch == p.width * p.format.bytesPerPixel) {
        p.converter(pixels, frame, p.width * p.height);
    } else {
        for (int y = 0; y < p.height; ++y)
            p.converter(static_cast<uint8_t *>(pixels) + static_cast<ptrdiff_t>(y) * pitch,
                        frame + static_cast<ptrdiff_t>(y) * p.width, p.width);
    }
    d.unlock(d.user);
    d.show(d.user);
}

// Only what exists is released. The cursor is shown while the display is still there.
void presenterClose(FramePresenter &p) {
    const PresenterDevice &d = p.device;
    if (p.chainMade) d.destroyChain(d.user);
    if (p.displayLoaded) d.showCursor(d.user, true);
    if (p.windowMade) d.destroyWindow(d.user);
    if (p.displayLoaded) d.unloadDisplay(d.user);
    p.chainMade = p.windowMade = p.displayLoaded = false;
    p.opened = false;
}

// Activation sets the active flag; a close request is kept for the show's Escape poll.
void presenterWindowEvent(FramePresenter &p, WindowEvent event) {
    switch (event) {
    case WindowEvent::kActivated:
        p.active = true;
        break;
    case WindowEvent::kDeactivated:
        p.active = false;
        break;
    case WindowEvent::kCloseRequested:
        p.quitRequested = true;
        break;
    }
}
