// The audio device in a browser (see web_audio.h).
#include "platform/web/web_audio.h"

#include "platform/web/web_browser.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kDecodeBlock = 4096;  // frames decoded at a time

// The device behind the backend's user pointer.
WebAudioDevice &deviceOf(void *user) {
    return *static_cast<WebAudioDevice *>(user);
}

// The page's audio context (it runs once a gesture starts the show): a device of whole streams.
bool openContext(void *user, AudioPlayer &, int *bufferFrames, std::string *) {
    deviceOf(user) = WebAudioDevice{};
    *bufferFrames = 0;
    return browserAudioOpen();
}

// Fetches the file from the page's folder into the file system.
const char *fetchFile(void *, const char *file) {
    const int status = browserFetchFile(file);
    if (status == 200) return nullptr;
    if (status == 0) return "the page cannot fetch it";
    return status == 404 ? "not found beside the page" : "the server refused it";
}

// Decodes the whole music into two channels for the page's audio buffer, which copies them.
const char *loadWhole(void *, const char *file) {
    VorbisMusic *music = openVorbisMusic(file);
    if (music == nullptr) return "cannot be read";
    std::vector<float> left, right, block(kMusicChannels * kDecodeBlock);
    const int64_t length = vorbisMusicLength(music);
    left.reserve(length > 0 ? static_cast<size_t>(length) : 0);
    right.reserve(left.capacity());
    for (int got; (got = readVorbisMusic(music, block.data(), kDecodeBlock)) > 0;) {
        for (int i = 0; i < got; ++i) {
            left.push_back(block[2 * i]);
            right.push_back(block[2 * i + 1]);
        }
    }
    closeVorbisMusic(music);
    const bool held =
        browserAudioSetStream(left.data(), right.data(), static_cast<int>(left.size()), kMusicRate);
    return held ? nullptr : "the browser cannot hold it";
}

// Before the stream starts, nothing is heard yet.
int64_t heardFrame(void *user) {
    if (!deviceOf(user).played) return -1;
    return static_cast<int64_t>(std::floor(browserAudioHeardSeconds() * kMusicRate));
}

}  // namespace

// The page's calls, one for each step.
AudioBackend webAudioBackend(WebAudioDevice *device) {
    AudioBackend backend;
    backend.user = device;
    backend.open = openContext;
    backend.close = [](void *user) {
        browserAudioClose();
        deviceOf(user).played = false;
    };
    backend.start = [](void *user) {
        browserAudioPlay();
        deviceOf(user).played = true;
    };
    backend.stop = [](void *user) {
        if (deviceOf(user).played) browserAudioStop();
    };
    backend.heardFrame = heardFrame;
    backend.setGain = [](void *, float gain) { browserAudioSetGain(gain); };
    backend.fetch = fetchFile;
    backend.load = loadWhole;
    return backend;
}
