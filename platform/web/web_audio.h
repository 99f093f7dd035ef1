// The show's audio library in a browser: the music fetched from the page's folder, decoded
// whole by the same decoder as the desktop's, played through Web Audio, and the spectrum of
// the 2048 frames heard now, placed by the output's own timestamp. The page's one thread decodes,
// plays and reads. Needs: platform/vorbis, show/spectrum.h, web_browser.h.
#pragma once

#include "show/show_platform.h"
#include "show/spectrum.h"

#include <cstdint>
#include <vector>

// Everything the layer keeps for one show.
struct WebAudio {
    bool open = false;  // the audio context exists
    SpectrumAnalyzer *analyzer = nullptr;
    std::vector<float> left, right;  // the stream's two channels, 44100 Hz
    std::vector<float> window;       // the stereo frames of one spectrum read
    std::vector<float> mono;         // the same, mixed to one channel
    uint32_t handle = 0;             // the stream's handle; 0 for none
    uint32_t lastHandle = 0;         // the latest handle given (see nextAudioHandle)
    float gain = 1.0f;               // output volume; the spectrum ignores it
    bool played = false;             // the stream has been started
};

// The ShowAudio table over audio (which must outlive it).
ShowAudio webAudio(WebAudio *audio);

// Closes the context and frees the stream; true when the layer was open. Harmless twice.
bool webAudioRelease(WebAudio &audio);

// The stream frame heard now; negative before the first.
int64_t webAudioHeardFrame(const WebAudio &audio);
