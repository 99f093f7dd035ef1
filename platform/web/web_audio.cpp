// The audio device in a browser (see web_audio.h).
#include "platform/web/web_audio.h"

#include "platform/web/web_browser.h"

#include <emscripten.h>

#include <cmath>

namespace {

constexpr int kPieceFrames = 4096;              // frames queued at a time: 93 ms
constexpr int kAheadFrames = 5 * kPieceFrames;  // queued ahead of what is heard: 0.46 s

WebAudioDevice *feeding = nullptr;  // the device the page tops up

// The device behind the backend's user pointer.
WebAudioDevice &deviceOf(void *user) {
    return *static_cast<WebAudioDevice *>(user);
}

// Queues the stream's next pieces until kAheadFrames wait to be heard, or the frames decoded
// run out (the bytes have not arrived, or the stream has ended).
void feed(WebAudioDevice &d) {
    while (d.playing && browserAudioQueued() < kAheadFrames) {
        const int frames = audioPullable(*d.player, kPieceFrames);
        if (frames == 0) return;
        audioPull(*d.player, d.stereo.data(), frames);
        for (int i = 0; i < frames; ++i) {
            d.left[i] = d.stereo[2 * i];
            d.right[i] = d.stereo[2 * i + 1];
        }
        browserAudioQueue(d.left.data(), d.right.data(), frames);
    }
}

// A browser with Web Audio has a device; its context comes with the gesture that starts a show.
bool openContext(void *user, AudioPlayer &player, int *bufferFrames, std::string *) {
    WebAudioDevice &d = deviceOf(user);
    if (!browserAudioAvailable()) return false;
    d.player = &player;
    d.playing = false;
    d.stereo.assign(2 * kPieceFrames, 0.0f);
    d.left.assign(kPieceFrames, 0.0f);
    d.right.assign(kPieceFrames, 0.0f);
    *bufferFrames = kAheadFrames;
    feeding = &d;
    return true;
}

// The download read through the page.
const MusicBytes *fetchMusic(void *user, const char *file, const char **) {
    MusicBytes &bytes = deviceOf(user).bytes;
    browserMusicFetch(file);
    bytes.read = [](void *, int64_t offset, void *out, size_t size) {
        return static_cast<size_t>(
            browserMusicRead(static_cast<double>(offset), out, static_cast<int>(size)));
    };
    bytes.arrived = [](void *) { return static_cast<int64_t>(browserMusicArrived()); };
    bytes.complete = [](void *) { return browserMusicComplete(); };
    return &bytes;
}

// The download's failure in the words of the line the player says.
const char *fetchError(void *) {
    switch (const int error = browserMusicError()) {
    case 0:
        return nullptr;
    case kFetchFailed:
        return "the page cannot fetch it";
    case kFetchBrokeOff:
        return "its download broke off";
    default:
        return error == 404 ? "not found beside the page" : "the server refused it";
    }
}

}  // namespace

// The page tops the queue up through this, as pieces end and while the bytes are awaited.
extern "C" EMSCRIPTEN_KEEPALIVE void glaxenAudioFeed() {
    if (feeding) feed(*feeding);
}

// The page's calls, one for each step.
AudioBackend webAudioBackend(WebAudioDevice *device) {
    AudioBackend backend;
    backend.user = device;
    backend.open = openContext;
    backend.close = [](void *user) {
        deviceOf(user).playing = false;
        feeding = nullptr;
        browserAudioClose();
    };
    backend.start = [](void *user) {
        WebAudioDevice &d = deviceOf(user);
        d.playing = browserAudioPlay();
        feed(d);
    };
    backend.stop = [](void *user) {
        deviceOf(user).playing = false;
        browserAudioStop();
    };
    backend.heardFrame = [](void *) {
        return static_cast<int64_t>(std::floor(browserAudioHeardFrame()));
    };
    backend.setGain = [](void *, float gain) { browserAudioSetGain(gain); };
    backend.fetch = fetchMusic;
    backend.fetchError = fetchError;
    backend.fetchRejected = [](void *) { browserMusicRejected(); };
    return backend;
}
