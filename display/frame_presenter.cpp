// FramePresenter's open, present and close (see frame_presenter.h).
#include "display/frame_presenter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Zeroes the first width x B bytes of every row of the locked target, B the mode's bytes per
// pixel, then shows it: twice over, both buffers of the chain are black before the first frame.
// The primary is restored first, lost or not.
void clearChain(FramePresenter &p) {
    const PresenterDevice &d = p.device;
    const size_t rowBytes = static_cast<size_t>(p.width) * ((p.modeBits + 7) / 8);
    for (int pass = 0; pass < 2; ++pass) {
        d.restore(d.user);
        void *pixels = nullptr;
        int pitch = 0;
        if (d.lock(d.user, &pixels, &pitch)) {
            for (int y = 0; y < p.height; ++y)
                std::memset(static_cast<uint8_t *>(pixels) + static_cast<ptrdiff_t>(y) * pitch, 0,
                            rowBytes);
            d.unlock(d.user);
        }
        d.show(d.user);
    }
}

}  // namespace

// In order: display, window, full screen's mode, the display claimed, full screen's hidden
// cursor, chain, target, full screen's clearing passes, pixel format, converter.
int presenterOpen(FramePresenter &p, const char *title, int width, int height, bool fullscreen) {
    const PresenterDevice &d = p.device;
    p.width = width;
    p.height = height;
    p.fullscreen = fullscreen;
    p.failure = nullptr;
    auto fail = [&p](const char *why) {
        p.failure = why;
        return 0;
    };

    if (!d.loadDisplay(d.user)) return fail("no display");
    p.displayLoaded = true;
    if (!d.createWindow(d.user, title, width, height, fullscreen))
        return fail("the window could not be made");
    p.windowMade = true;
    d.raiseWindow(d.user);
    if (fullscreen) {
        p.modeBits = d.setMode(d.user, width, height);
        if (p.modeBits == 0) return fail("no full-screen display mode");
    }
    if (!d.claimDisplay(d.user, fullscreen)) return fail("the display could not be claimed");
    if (fullscreen) d.showCursor(d.user, false);
    if (!d.createChain(d.user)) return fail("nothing to show frames through");
    p.chainMade = true;
    if (!d.createTarget(d.user, width, height)) return fail("no surface for the frames");
    if (fullscreen) clearChain(p);

    p.format = d.format(d.user);
    if (!p.format.rgb) return fail("the display's colours are palette-indexed");
    p.converter = requestConverter(p.format.bitCount, p.format.rgbaBytes);
    if (p.converter == nullptr) return fail("no pixel converter for the display's format");
    p.opened = true;
    p.active = true;
    return 1;
}

// One converter call when the target's rows lie back to back, one per row otherwise. A frame
// that is not shown waits for the display instead, so the loop does not spin.
void presenterPresent(FramePresenter &p, const Pixel *frame) {
    const PresenterDevice &d = p.device;
    if (!p.opened || (!p.active && p.fullscreen)) {
        d.waitFrame(d.user);
        return;
    }
    if (d.isLost(d.user)) d.restore(d.user);

    void *pixels = nullptr;
    int pitch = 0;
    if (!d.lock(d.user, &pixels, &pitch)) {
        d.waitFrame(d.user);
        return;
    }
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

// Only what exists is released; the class is unregistered and the cursor shown whatever open
// got to, so a close after a failed open still balances a hidden cursor.
void presenterClose(FramePresenter &p) {
    const PresenterDevice &d = p.device;
    if (p.chainMade) d.destroyChain(d.user);
    if (p.displayLoaded) d.releaseDisplay(d.user);
    if (p.windowMade) d.destroyWindow(d.user);
    d.unregisterClass(d.user);
    d.showCursor(d.user, true);
    if (p.displayLoaded) d.unloadDisplay(d.user);
    p.chainMade = p.windowMade = p.displayLoaded = false;
    p.opened = false;
}

// Activation sets the active flag; a close request is kept for the show's Escape poll; a
// window shows its latest frame again, while full screen leaves it to the next present (a
// flip out of turn would show the frame before last).
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
    case WindowEvent::kRepaint:
        if (p.opened && !p.fullscreen) p.device.show(p.device.user);
        break;
    }
}

// A deadline that is not ahead of now, or too far ahead to be this clock's, starts the pace again.
int64_t nextFrameDeadline(FramePace &pace, int64_t now, int64_t interval) {
    const int64_t next = pace.deadline + interval;
    const bool steady = pace.started && next > now && next - now <= interval;
    pace.deadline = steady ? next : now + interval;
    pace.started = true;
    return pace.deadline;
}
