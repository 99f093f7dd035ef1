// The audio layer over Web Audio (see web_audio.h).
#include "platform/web/web_audio.h"

#include "platform/vorbis/vorbis_convert.h"
#include "platform/vorbis/vorbis_music.h"
#include "platform/web/web_browser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kDecodeBlock = 4096;  // frames decoded at a time

// The layer's state behind a table's user pointer.
WebAudio &audioOf(void *user) {
    return *static_cast<WebAudio *>(user);
}

// Opens the music from the file system, fetching it from the page's folder the first time;
// nullptr with the reason in *why.
VorbisMusic *openMusic(const char *file, const char **why) {
    VorbisOpenError error = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(file, &error);
    if (music == nullptr && error == VorbisOpenError::kMissing) {
        const int status = browserFetchFile(file);
        if (status == 0) {
            *why = "the page cannot fetch it";
            return nullptr;
        }
        if (status != 200) {
            *why = status == 404 ? "not found beside the page" : "the server refused it";
            return nullptr;
        }
        music = openVorbisMusic(file, &error);
    }
    if (music == nullptr) *why = vorbisOpenErrorText(error);
    return music;
}

// Decodes the whole music into the two channels; false when it holds no sound.
bool decodeWhole(WebAudio &audio, VorbisMusic *music) {
    audio.left.clear();
    audio.right.clear();
    const int64_t length = vorbisMusicLength(music);
    if (length > 0) {
        audio.left.reserve(static_cast<size_t>(length));
        audio.right.reserve(static_cast<size_t>(length));
    }
    std::vector<float> block(kMusicChannels * kDecodeBlock);
    for (int got; (got = readVorbisMusic(music, block.data(), kDecodeBlock)) > 0;) {
        for (int i = 0; i < got; ++i) {
            audio.left.push_back(block[2 * i]);
            audio.right.push_back(block[2 * i + 1]);
        }
    }
    return !audio.left.empty();
}

// ---------------------------------------------------------------- the table

// The interface version this layer implements.
uint32_t audioGetVersion(void *) {
    return kAudioVersion;
}

// Makes the page's audio context (it runs once a gesture starts the show); without Web Audio,
// a console line, and the show runs silent.
bool audioInit(void *user, int, uint32_t, uint32_t) {
    WebAudio &audio = audioOf(user);
    if (audio.open) return true;
    audio.open = browserAudioOpen();
    audio.analyzer = audio.open ? createSpectrumAnalyzer() : nullptr;
    if (audio.analyzer != nullptr) {
        audio.window.assign(2 * kSpectrumWindow, 0.0f);
        audio.mono.assign(kSpectrumWindow, 0.0f);
        browserAudioSetGain(audio.gain);
        return true;
    }
    std::fprintf(stderr, "glaxen: no audio device; the show runs silent\n");
    webAudioRelease(audio);
    return false;
}

// Fetches and decodes the whole file (offset and length are not used); 0 without a context,
// and with one console line when the file cannot be played.
uint32_t audioStreamCreateFile(void *user, const char *file, uint64_t, uint64_t, uint32_t) {
    WebAudio &audio = audioOf(user);
    if (!audio.open) return 0;
    audio.handle = 0;
    audio.played = false;
    const char *why = nullptr;
    VorbisMusic *music = openMusic(file, &why);
    if (music != nullptr) {
        if (!decodeWhole(audio, music))
            why = "no sound in it";
        else if (!browserAudioSetStream(audio.left.data(), audio.right.data(),
                                        static_cast<int>(audio.left.size()), kMusicRate))
            why = "the browser cannot hold it";
        closeVorbisMusic(music);
    }
    if (why != nullptr) {
        std::fprintf(stderr, "glaxen: cannot play %s: %s; the show runs silent\n", file, why);
        return 0;
    }
    audio.lastHandle = nextAudioHandle(audio.lastHandle);
    audio.handle = audio.lastHandle;
    return audio.handle;
}

// Output volume 0-100; the spectrum is of the stream, so it does not change.
bool audioSetVolume(void *user, uint32_t volume) {
    WebAudio &audio = audioOf(user);
    audio.gain = audioVolumeGain(volume);
    if (audio.open) browserAudioSetGain(audio.gain);
    return audio.open;
}

// Plays from the first frame (the show starts its stream once).
bool audioChannelPlay(void *user, uint32_t handle, bool) {
    WebAudio &audio = audioOf(user);
    if (handle == 0 || handle != audio.handle) return false;
    browserAudioPlay();
    audio.played = true;
    return true;
}

// The spectrum of the kSpectrumWindow frames from the heard position on; -1, the buffer
// untouched, without the stream or after its end.
int32_t audioChannelGetData(void *user, uint32_t handle, float *buffer, uint32_t lengthFlags) {
    WebAudio &audio = audioOf(user);
    if (handle == 0 || handle != audio.handle || lengthFlags != kAudioDataFft2048) return -1;
    const int64_t length = static_cast<int64_t>(audio.left.size());
    const int64_t heard = webAudioHeardFrame(audio);
    if (heard >= length) return -1;
    for (int i = 0; i < kSpectrumWindow; ++i) {
        const int64_t f = heard + i;
        const bool held = f >= 0 && f < length;
        audio.window[2 * i] = held ? audio.left[static_cast<size_t>(f)] : 0.0f;
        audio.window[2 * i + 1] = held ? audio.right[static_cast<size_t>(f)] : 0.0f;
    }
    mixToMono(audio.window.data(), kSpectrumWindow, kMusicChannels, audio.mono.data());
    analyzeSpectrum(audio.analyzer, audio.mono.data(), buffer);
    return kSpectrumSize * static_cast<int32_t>(sizeof(float));
}

// Stops the stream where it is heard.
bool audioStop(void *user) {
    WebAudio &audio = audioOf(user);
    if (!audio.open) return false;
    if (audio.played) browserAudioStop();
    return true;
}

// Everything goes.
bool audioFree(void *user) {
    return webAudioRelease(audioOf(user));
}

}  // namespace

// The eight functions over audio.
ShowAudio webAudio(WebAudio *audio) {
    return {audio,          audioGetVersion,  audioInit,           audioStreamCreateFile,
            audioSetVolume, audioChannelPlay, audioChannelGetData, audioStop,
            audioFree};
}

// The context closes; the stream's memory goes back.
bool webAudioRelease(WebAudio &audio) {
    const bool wasOpen = audio.open;
    if (audio.open) browserAudioClose();
    audio.open = false;
    audio.handle = 0;
    audio.played = false;
    std::vector<float>().swap(audio.left);
    std::vector<float>().swap(audio.right);
    destroySpectrumAnalyzer(audio.analyzer);
    audio.analyzer = nullptr;
    return wasOpen;
}

// Before the stream starts, nothing is heard yet.
int64_t webAudioHeardFrame(const WebAudio &audio) {
    if (!audio.played) return -1;
    return static_cast<int64_t>(std::floor(browserAudioHeardSeconds() * kMusicRate));
}
