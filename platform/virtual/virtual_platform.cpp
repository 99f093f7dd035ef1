// The show on the virtual clock (see virtual_platform.h).
#include "platform/virtual/virtual_platform.h"

#include "platform/null/null_platform.h"

namespace {

// The platform behind a table's user pointer.
VirtualPlatform &platformOf(void *user) {
    return *static_cast<VirtualPlatform *>(user);
}

// The handle of the one stream there is.
constexpr uint32_t kStream = 1;

}  // namespace

// The null platform with the seed, the clock, the source's spectra and the end put in.
ShowPlatform virtualShowPlatform(VirtualPlatform &platform) {
    platform.clock = VirtualClock{platform.clock.fpsNum, platform.clock.fpsDen};
    ShowPlatform p = nullPlatform();
    p.system.user = p.presenter.user = p.audio.user = &platform;
    p.system.calendarTime = [](void *u) { return platformOf(u).seed; };
    p.system.milliseconds = [](void *u) { return virtualClockRead(platformOf(u).clock); };
    p.system.escapePressed = [](void *u) {
        const VirtualPlatform &v = platformOf(u);
        return (v.stopped && v.stopped(v.user)) || v.clock.frame >= v.lastFrame;
    };
    p.system.startDialog = [](void *u, ShowSettings *settings) {
        settings->fullscreen = false;
        settings->gentle = platformOf(u).gentle;
        return 1;
    };
    p.presenter.open = [](void *u, const char *title, int width, int height, bool fullscreen) {
        const ShowPresenter &shown = platformOf(u).display;
        return shown.open ? shown.open(shown.user, title, width, height, fullscreen) : 1;
    };
    p.presenter.present = [](void *u, const Pixel *frame) {
        const VirtualPlatform &v = platformOf(u);
        if (v.display.present) v.display.present(v.display.user, frame);
        if (v.present) v.present(v.user, v.clock.frame, frame);
    };
    p.presenter.close = [](void *u) {
        const ShowPresenter &shown = platformOf(u).display;
        if (shown.close) shown.close(shown.user);
    };
    p.audio.init = [](void *, int, uint32_t, uint32_t) { return true; };
    p.audio.streamCreateFile = [](void *, const char *, uint64_t, uint64_t, uint32_t) {
        return kStream;
    };
    p.audio.channelPlay = [](void *, uint32_t handle, bool) { return handle == kStream; };
    p.audio.channelGetData = [](void *u, uint32_t handle, float *buffer, uint32_t) {
        VirtualPlatform &v = platformOf(u);
        const bool read =
            handle == kStream && v.spectrum(v.user, v.clock.frame, v.clock.now, buffer);
        return read ? int32_t(sizeof(float) * kSpectrumSize) : -1;
    };
    return p;
}
