// The presenter's display in a page: the canvas, full screen asked of the browser when the
// show opens full screen, the target a frame-sized buffer that the presenter fills with opaque
// RGBA pixels, put on the canvas as they are. The frames run at the page's animation frames,
// which do not come while the page is hidden: the show pauses there.
#include "platform/web/web_browser.h"
#include "platform/web/web_platform.h"

namespace {

// The display behind a device table's user pointer.
WebDisplay &displayOf(void *user) {
    return static_cast<WebPlatform *>(user)->display;
}

// The page is always there.
bool loadDisplay(void *) {
    return true;
}

// The show's phase on the page: full screen, unless the gesture that started the show asked
// for it already (a refusal leaves the picture filling the page), and the screen kept awake.
bool createWindow(void *user, const char *, int width, int height, bool fullscreen) {
    WebDisplay &d = displayOf(user);
    d.width = width;
    d.height = height;
    d.fullscreen = fullscreen;
    if (fullscreen) browserEnterFullscreen();
    browserSetPhase(BrowserPhase::kShow);
    return true;
}

// Nothing: the page is in front once the user clicked in it.
void raiseWindow(void *) {}

// The canvas's pixels are 32 bits.
int setMode(void *, int, int) {
    return 32;
}

// The canvas is the page's own.
bool claimDisplay(void *, bool) {
    return true;
}

// The cursor over the canvas.
void showCursor(void *, bool visible) {
    browserShowCursor(visible);
}

// Nothing: the canvas is the chain.
bool createChain(void *) {
    return true;
}

// The frame-sized buffer the frames are converted into.
bool createTarget(void *user, int width, int height) {
    displayOf(user).target.assign(static_cast<size_t>(width) * height, 0);
    return true;
}

// 32-bit pixels as a canvas takes them: the bytes R, G, B, A.
DisplayFormat format(void *) {
    return {true, 32, 4, true};
}

// A canvas is never lost.
bool isLost(void *) {
    return false;
}
void restore(void *) {}

// The whole target, which the presenter then fills: the frame's RGBA pass.
bool lock(void *user, void **pixels, int *pitch) {
    WebDisplay &d = displayOf(user);
    if (d.target.empty()) return false;
    browserMark(kMarkRgba);
    *pixels = d.target.data();
    *pitch = d.width * 4;
    return true;
}
void unlock(void *) {}

// The target on the canvas.
void show(void *user) {
    WebDisplay &d = displayOf(user);
    browserPutPixels(d.target.data(), d.width, d.height);
}

// Nothing: the page's animation frames pace the frames (webRunFrames).
void waitFrame(void *) {}

// The target goes.
void destroyChain(void *user) {
    std::vector<uint32_t>().swap(displayOf(user).target);
}

// Nothing is held between the page and the canvas.
void releaseDisplay(void *) {}

// Full screen is left, the screen may sleep; the canvas stays for the dialog.
void destroyWindow(void *) {
    browserEndShow();
}

void unregisterClass(void *) {}
void unloadDisplay(void *) {}

}  // namespace

// The show's frames at the page's animation frames, or unpaced in the test mode.
void webRunFrames(WebPlatform &platform, bool (*frame)(void *user), void *user) {
    browserRunFrames(frame, user, platform.display.paced);
}

// The device table over the page's canvas.
PresenterDevice webPresenterDevice(WebPlatform &platform) {
    return {&platform,     loadDisplay,     createWindow, raiseWindow, setMode,      claimDisplay,
            showCursor,    createChain,     createTarget, format,      isLost,       restore,
            lock,          unlock,          show,         waitFrame,   destroyChain, releaseDisplay,
            destroyWindow, unregisterClass, unloadDisplay};
}
