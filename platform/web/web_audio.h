// The audio device in a browser, through Web Audio: the music fetched from the page's folder
// and decoded as it arrives, pulled in pieces and queued on the audio context's clock a little
// ahead of what is heard, one piece right after another, so the output is the decoded music
// sample for sample; the position heard is read off the output's clock. The page tops the queue
// up as pieces end. The page's one thread plays and reads, so nothing is locked.
// Needs: audio/show_audio.h, web_browser.h.
#pragma once

#include "audio/show_audio.h"

#include <vector>

// What the device keeps: one piece's frames as pulled, then as its two channels.
struct WebAudioDevice {
    AudioPlayer *player = nullptr;
    bool playing = false;
    std::vector<float> stereo, left, right;
    MusicBytes bytes;  // the music's download, read through the page
};

// The backend over device (which must outlive it).
AudioBackend webAudioBackend(WebAudioDevice *device);
