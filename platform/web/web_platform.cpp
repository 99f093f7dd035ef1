// The page's state and the show's service tables over it (see web_platform.h).
#include "platform/web/web_platform.h"

#include "platform/null/null_platform.h"
#include "platform/web/web_browser.h"
#include "show/presenter_service.h"
#include "show/show_frame.h"

#include <cstdio>
#include <string>

namespace {

// The platform behind a table's user pointer.
WebPlatform &platformOf(void *user) {
    return *static_cast<WebPlatform *>(user);
}

}  // namespace

// The canvas, then the test mode if the address asks for it.
bool webPlatformInit(WebPlatform &platform) {
    browserStart(kScreenWidth, kScreenHeight);
    std::string timings;
    platform.timings = browserParameter("timings", timings);
    return webTestModeInit(platform.test);
}

// The presenter and the audio layer start from their zero state for every show, as in a new
// process.
ShowPlatform webShowPlatform(WebPlatform &platform) {
    platform.presenter = FramePresenter{};
    platform.presenter.device = webPresenterDevice(platform);
    platform.display = WebDisplay{};
    audioRelease(platform.audio);
    platform.audio.backend = webAudioBackend(&platform.audioDevice);
    if (platform.test.on) {
        platform.display.paced = false;
        return webTestPlatform(platform, presenterService(&platform.presenter));
    }

    ShowPlatform show = nullPlatform();
    show.system.user = &platform;
    // Calendar seconds, but never the seed of the show before.
    show.system.calendarTime = [](void *user) {
        WebPlatform &p = platformOf(user);
        const uint32_t now = static_cast<uint32_t>(browserCalendarSeconds());
        p.lastSeed = now > p.lastSeed ? now : p.lastSeed + 1;
        return p.lastSeed;
    };
    show.system.milliseconds = [](void *) {
        return static_cast<uint32_t>(static_cast<uint64_t>(browserNow()));
    };
    // Escape pressed, or full screen left.
    show.system.escapePressed = [](void *user) {
        return browserTakeEscape() || platformOf(user).presenter.quitRequested;
    };
    // Gentle mode as the page's choice stands when the show starts.
    show.system.startDialog = [](void *user, ShowSettings *settings) {
        const int started = webStartDialog(platformOf(user), settings);
        settings->gentle = webGentleChosen();
        return started;
    };
    show.system.messageBox = [](void *, const char *text, const char *caption) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    };
    show.presenter = presenterService(&platform.presenter);
    show.audio = showAudio(&platform.audio);
    if (!platform.timings) return show;
    // The spectrum read, timed.
    show.audio.channelGetData = [](void *user, uint32_t handle, float *buffer, uint32_t flags) {
        browserMark(kMarkSpectrum);
        const ShowAudio audio = showAudio(static_cast<AudioPlayer *>(user));
        const int32_t got = audio.channelGetData(user, handle, buffer, flags);
        browserMark(kMarkSpectrumDone);
        return got;
    };
    return show;
}
