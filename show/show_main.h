// The show's main routine: start-up, the timed frame loop and shutdown, over the platform
// services of show_platform.h. showMain runs them in one call; a platform whose own loop calls
// each frame (a page's animation frames) runs the three steps itself. Needs: show/show_frame.h.
#pragma once

#include "show/show_frame.h"
#include "show/show_platform.h"

constexpr const char *kMusicFile = "qx-331b_051224.ogg";  // read from the working directory

// A show from its start-up to its shutdown: what the frames keep between them.
struct ShowRun {
    const ShowPlatform *platform = nullptr;
    ShowSettings settings;
    uint32_t stream = 0;       // the music's handle
    uint32_t effectStart = 0;  // the clock at the first frame, for the effect's time
    uint32_t showStart = 0;    // and for the show's
    BitmapFont font;
    LineSwarm swarm;
};

// Start-up up to the first frame, from zeroed buffers: the pictures, the audio, the start
// dialog, the display, the music. -1 when the frames are to run, else the exit code of a show
// that ended before them: 0 after the audio-version message, 1 when the dialog is dismissed.
int showStart(ShowRun &run, const ShowPlatform &platform);

// One frame: the spectrum, the picture, the present. False once the show is over (Escape, or
// its length reached).
bool showFrame(ShowRun &run);

// Shutdown after the last frame: the music and the display go; the exit code, 0.
int showEnd(ShowRun &run);

// Runs the whole show; returns the exit code: 0 after a normal end or the audio-version
// message, 1 when the start dialog is dismissed.
int showMain(const ShowPlatform &platform);
