// The audio device in a browser, through Web Audio: the music fetched from the page's folder
// when the file system lacks it, handed whole to the page to play, and the position heard, from
// the output's own timestamp. The page's one thread plays and reads, so nothing is locked.
// Needs: audio/show_audio.h, web_browser.h.
#pragma once

#include "audio/show_audio.h"

// What the device keeps for one show.
struct WebAudioDevice {
    bool played = false;  // the stream has been started
};

// The backend over device (which must outlive it).
AudioBackend webAudioBackend(WebAudioDevice *device);
