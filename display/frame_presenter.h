// FramePresenter: shows 32-bit frames on the display, full screen or in a window. It owns the
// window and the display objects from open to close, picks a pixel converter for the display's
// format once at open and converts each frame straight into the locked target. The display
// itself is reached through a PresenterDevice, so this logic runs and is tested without one.
// Needs: display/pixel_converters.h.
#pragma once

#include "common/pixel.h"
#include "display/pixel_converters.h"

#include <cstdint>

// The display's pixel format as the presenter sees it.
struct DisplayFormat {
    bool rgb;                // false for palette-indexed formats: no converter can serve them
    int bitCount;            // what requestConverter is asked for: 32, 24, 16, 15, ...
    int bytesPerPixel;       // bytes one display pixel takes
    bool rgbaBytes = false;  // 32 bits laid out as the bytes R, G, B, A (a canvas's order)
};

// The display services a presenter drives, in the order open and close use them. A step a
// platform does not have is a function that does nothing. Every function gets user first.
struct PresenterDevice {
    void *user;
    bool (*loadDisplay)(void *user);  // the display system; false when there is none
    bool (*createWindow)(void *user, const char *title, int width, int height, bool fullscreen);
    void (*raiseWindow)(void *user);  // to the front, the application active
    // Full screen: a display mode of width x height; its bits per pixel, 0 when none is taken.
    int (*setMode)(void *user, int width, int height);
    bool (*claimDisplay)(void *user, bool fullscreen);  // exclusive in full screen, else shared
    void (*showCursor)(void *user, bool visible);       // the mouse cursor over the window
    bool (*createChain)(void *user);                    // what frames are shown through
    bool (*createTarget)(void *user, int width, int height);  // the lockable frame surface
    DisplayFormat (*format)(void *user);                      // the display's pixel format
    bool (*isLost)(void *user);                           // surfaces lost since the last restore
    void (*restore)(void *user);                          // make lost surfaces again
    bool (*lock)(void *user, void **pixels, int *pitch);  // false: nothing may be written
    void (*unlock)(void *user);
    void (*show)(void *user);          // the target on screen: flipped full screen, scaled windowed
    void (*waitFrame)(void *user);     // about one display frame, when a present shows nothing
    void (*destroyChain)(void *user);  // the chain and the target with it
    void (*releaseDisplay)(void *user);  // what loadDisplay made, but the system itself
    void (*destroyWindow)(void *user);
    void (*unregisterClass)(void *user);  // the window class, where windows have one
    void (*unloadDisplay)(void *user);    // the display system, where it is given back
};

// What the window reports to the presenter whenever the platform delivers it.
enum class WindowEvent {
    kActivated,       // the application became active
    kDeactivated,     // the application lost the display (focus lost, minimised)
    kCloseRequested,  // the close button or the window manager's close key
    kRepaint,         // the window's picture was lost and must be shown again
};

// The presenter's state: one record per process, zero at start.
struct FramePresenter {
    PresenterDevice device;
    int width = 0;
    int height = 0;
    bool fullscreen = false;
    int modeBits = 0;            // full screen: the bits per pixel of the mode taken
    bool displayLoaded = false;  // what open made, for close to release
    bool windowMade = false;
    bool chainMade = false;
    bool opened = false;         // open succeeded: present may show frames
    bool active = false;         // set by open, then by the window's activation events
    bool quitRequested = false;  // the window asked to close
    DisplayFormat format = {};
    PixelConverter converter = nullptr;
    const char *failure = nullptr;  // why open failed, in a few words; null when it did not
};

// Opens a window (or the whole display) for width x height frames; 1 when ready, 0 when a step
// failed. What it made is left for close.
int presenterOpen(FramePresenter &presenter, const char *title, int width, int height,
                  bool fullscreen);

// Converts frame into the target and shows it. Before a successful open, while an inactive
// full-screen presenter waits to be active again, and when the target cannot be locked, it shows
// nothing and waits one display frame instead.
void presenterPresent(FramePresenter &presenter, const Pixel *frame);

// Releases whatever open made, and shows the cursor: after a failed open too.
void presenterClose(FramePresenter &presenter);

// The window's handler: activation, close requests and repaints.
void presenterWindowEvent(FramePresenter &presenter, WindowEvent event);

// The pace of a loop that waits for display frames by itself: the deadline of the latest wait.
struct FramePace {
    int64_t deadline = 0;
    bool started = false;
};

// The time the next wait lasts until, on any clock: one interval after the latest deadline, so
// that waits keep a steady pace; one interval from now for the first wait, for a wait a frame
// or more late, and when the clock went back (the latest deadline more than an interval ahead).
int64_t nextFrameDeadline(FramePace &pace, int64_t now, int64_t interval);
