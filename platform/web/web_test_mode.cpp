// The page's test mode (see web_platform.h): the main routine's frames computed exactly as
// glaxen-render computes them, on the virtual clock, from a seed and a silent or scripted
// spectrum, with chosen frames' canvas pixels kept for the test to compare.
#include "platform/web/web_browser.h"
#include "platform/web/web_platform.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// A whole decimal number that fits in 64 bits; false for anything else.
bool parseNumber(const std::string &text, uint64_t &value) {
    if (text.empty()) return false;
    value = 0;
    for (const char c : text) {
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (c < '0' || c > '9' || value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

// The frames to keep, "K,K,...", ascending.
bool parseCaptures(const std::string &text, std::vector<uint64_t> &captures) {
    for (size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 1) {
        comma = text.find(',', from);
        uint64_t k = 0;
        if (!parseNumber(text.substr(from, comma - from), k)) return false;
        captures.push_back(k);
    }
    std::sort(captures.begin(), captures.end());
    return true;
}

// A console line for an option the test mode cannot use.
bool refuse(const char *what, const std::string &value) {
    std::fprintf(stderr, "glaxen: test mode: %s: %s\n", what, value.c_str());
    return false;
}

// Why a spectrum file was not fetched, for the line.
const char *fetchFailure(int status) {
    switch (status) {
    case kFetchElsewhere:
        return "the spectrum file is not on the page's own origin";
    case kFetchFailed:
        return "cannot fetch the spectrum file";
    default:
        return status == 404 ? "the spectrum file is not there"
                             : "the server refused the spectrum file";
    }
}

}  // namespace

// ?test turns the mode on; then a seed and the frames to keep are needed, the rest has defaults.
// Each parameter is read whole, whatever its length.
bool webTestModeInit(WebTestMode &test) {
    std::string value;
    if (!browserParameter("test", value)) return true;
    test.on = true;
    test.run.gentle = browserParameter("gentle", value);
    uint64_t number = 0;
    if (!browserParameter("seed", value) || !parseNumber(value, number) || number > UINT32_MAX)
        return refuse("seed= needs a number up to 4294967295", value);
    test.run.seed = static_cast<uint32_t>(number);
    if (browserParameter("fps", value)) {
        if (!parseNumber(value, number) || number == 0 || number > 1000)
            return refuse("fps= needs a whole number from 1 to 1000", value);
        test.run.clock.fpsNum = static_cast<uint32_t>(number);
    }
    if (!browserParameter("capture", value) || !parseCaptures(value, test.captures))
        return refuse("capture= needs frame numbers, K,K,...", value);
    test.run.lastFrame = test.captures.back();
    if (!browserParameter("spectrum", value) || value == "silent")
        return openSilentSource(test.spectrum);
    const int status = browserFetchFile(value.c_str());
    if (status != 200) return refuse(fetchFailure(status), value);
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
