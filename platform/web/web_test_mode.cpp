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
    test.run.gentle = browserParameter("gentle", value, sizeof value);
    uint64_t number = 0;
    if (!browserParameter("seed", value, sizeof value) || !parseNumber(value, number) ||
        number > UINT32_MAX)
        return refuse("seed= needs a number up to 4294967295", value);
    test.run.seed = static_cast<uint32_t>(number);
    if (browserParameter("fps", value, sizeof value)) {
        if (!parseNumber(value, number) || number == 0 || number > 1000)
            return refuse("fps= needs a whole number from 1 to 1000", value);
        test.run.clock.fpsNum = static_cast<uint32_t>(number);
    }
    if (!browserParameter("capture", value, sizeof value) || !parseCaptures(value, test.captures))
        return refuse("capture= needs frame numbers, K,K,...", value);
    test.run.lastFrame = test.captures.back();
    if (!browserParameter("spectrum", value, sizeof value) || std::string(value) == "silent")
        return openSilentSource(test.spectrum);
    const int status = browserFetchFile(value);
    if (status != 200) return refuse("cannot fetch the spectrum file", value);
    std::string error;
    return openSpectrumFile(test.spectrum, value, error) || refuse(error.c_str(), value);
}

// The virtual platform over the page's presenter, frame k's canvas kept when k is asked for.
ShowPlatform webTestPlatform(WebPlatform &platform, const ShowPresenter &presenter) {
    WebTestMode &test = platform.test;
    test.run.display = presenter;
    test.run.user = &test;
    test.run.spectrum = [](void *u, uint64_t frame, uint32_t ms, float *out) {
        return readSpectrum(static_cast<WebTestMode *>(u)->spectrum, frame, ms, out);
    };
    test.run.present = [](void *u, uint64_t frame, const Pixel *) {
        const std::vector<uint64_t> &captures = static_cast<WebTestMode *>(u)->captures;
        if (std::binary_search(captures.begin(), captures.end(), frame))
            browserCaptureFrame(static_cast<uint32_t>(frame));
    };
    return virtualShowPlatform(test.run);
}
