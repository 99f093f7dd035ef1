// The show's main routine: start-up, the timed frame loop and shutdown, over the platform
// services of show_platform.h. Needs: show/show_frame.h.
#pragma once

#include "show/show_platform.h"

constexpr const char *kMusicFile = "qx-331b_051224.ogg";  // read from the working directory

// Runs the whole show; returns the exit code: 0 after a normal end or the audio-version
// message, 1 when the start dialog is dismissed. Starts from zeroed buffers every time.
int showMain(const ShowPlatform &platform);
