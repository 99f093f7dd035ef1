// The page's test mode (see web_platform.h): the main routine's frames computed exactly as
// glaxen-render computes them, on the virtual clock, from a seed and a silent or scripted
// spectrum, with chosen frames' canvas pixels kept for the test to compare.
#include "platform/web/web_browser.h"
#include "platform/web/web_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The platform behind a table's user pointer.
WebPlatform &platformOf(void *user) {
    return *static_cast<WebPlatform *>(user);
}

// A whole decimal number; false for anything else.
bool parseNumber(const char *text, uint64_t &value) {
    char *end = nullptr;
    if (*text < '0' || *text > '9') return false;
    value = std::strtoull(text, &end, 10);
    return *end == '\0';
}

// The frames to keep, "K,K,...", ascending.
bool parseCaptures(std::string text, std::vector<uint64_t> &captures) {
    text += ',';
    for (size_t from = 0, comma; (comma = text.find(',', from)) != std::string::npos;
         from = comma + 1) {
        uint64_t k = 0;
        if (!parseNumber(text.substr(from, comma - from).c_str(), k)) return false;
        captures.push_back(k);
    }
    std::sort(captures.begin(), captures.end());
    return !captures.empty();
}

// A console line for an option the test mode cannot use.
bool refuse(const char *what, const char *value) {
    std::fprintf(stderr, "glaxen: test mode: %s: %s\n", what, value);
    return false;
}

}  // namespace

// ?test turns the mode on; then a seed and the frames to keep are needed, the rest has defaults.
bool webTestModeInit(WebTestMode &test) {
    char value[256];
    if (!browserParameter("test", value, sizeof value)) return true;
    test.on = true;
    uint64_t number = 0;
    if (!browserParameter("seed", value, sizeof value) || !parseNumber(value, number) ||
        number > UINT32_MAX)
        return refuse("seed= needs a number up to 4294967295", value);
    test.seed = static_cast<uint32_t>(number);
    if (browserParameter("fps", value, sizeof value)) {
        if (!parseNumber(value, number) || number == 0 || number > 1000)
            return refuse("fps= needs a whole number from 1 to 1000", value);
        test.clock.fpsNum = static_cast<uint32_t>(number);
    }
    if (!browserParameter("capture", value, sizeof value) || !parseCaptures(value, test.captures))
        return refuse("capture= needs frame numbers, K,K,...", value);
    test.lastFrame = test.captures.back();
    if (!browserParameter("spectrum", value, sizeof value) || std::string(value) == "silent")
        return openSilentSource(test.spectrum);
    const int status = browserFetchFile(value);
    if (status != 200) return refuse("cannot fetch the spectrum file", value);
    std::string error;
    return openSpectrumFile(test.spectrum, value, error) || refuse(error.c_str(), value);
}

// As glaxen-render's virtual platform: the seed, the virtual clock, no dialog, the spectra of
// the source frame by frame, and the show ended after the last frame kept.
ShowPlatform webTestPlatform(WebPlatform &platform, const ShowPresenter &presenter) {
    WebTestMode &test = platform.test;
    test.clock = VirtualClock{test.clock.fpsNum, test.clock.fpsDen};
    ShowPlatform p{};
    p.system.user = p.presenter.user = p.audio.user = &platform;
    p.system.calendarTime = [](void *u) { return platformOf(u).test.seed; };
    p.system.milliseconds = [](void *u) { return virtualClockRead(platformOf(u).test.clock); };
    p.system.escapePressed = [](void *u) {
        const WebTestMode &t = platformOf(u).test;
        return t.clock.frame >= t.lastFrame;
    };
    p.system.startDialog = [](void *, ShowSettings *settings) {
        settings->fullscreen = false;
        return 1;
    };
    p.system.messageBox = [](void *, const char *text, const char *caption) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    };
    // The page's own presenter, and frame k's canvas kept when k is asked for.
    test.presenter = presenter;
    p.presenter.open = [](void *u, const char *title, int width, int height, bool fullscreen) {
        const ShowPresenter &shown = platformOf(u).test.presenter;
        return shown.open(shown.user, title, width, height, fullscreen);
    };
    p.presenter.present = [](void *u, const Pixel *frame) {
        const WebTestMode &t = platformOf(u).test;
        t.presenter.present(t.presenter.user, frame);
        if (std::binary_search(t.captures.begin(), t.captures.end(), t.clock.frame))
            browserCaptureFrame(static_cast<uint32_t>(t.clock.frame));
    };
    p.presenter.close = [](void *u) {
        const ShowPresenter &shown = platformOf(u).test.presenter;
        shown.close(shown.user);
    };
    p.audio.getVersion = [](void *) { return kAudioVersion; };
    p.audio.init = [](void *, int, uint32_t, uint32_t) { return true; };
    p.audio.streamCreateFile = [](void *u, const char *, uint64_t, uint64_t, uint32_t) {
        return platformOf(u).test.spectrum.kind == SpectrumKind::kSilent ? 0u : 1u;
    };
    p.audio.setVolume = [](void *, uint32_t) { return true; };
    p.audio.channelPlay = [](void *, uint32_t handle, bool) { return handle != 0; };
    p.audio.channelGetData = [](void *u, uint32_t handle, float *buffer, uint32_t) {
        WebTestMode &t = platformOf(u).test;
        const bool read =
            handle != 0 && readSpectrum(t.spectrum, t.clock.frame, t.clock.now, buffer);
        return read ? int32_t(sizeof(float) * kSpectrumSize) : -1;
    };
    p.audio.stop = [](void *) { return true; };
    p.audio.free = [](void *) { return true; };
    return p;
}
