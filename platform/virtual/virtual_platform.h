// The show computed rather than watched: the null platform with a seed for the calendar, the
// virtual clock, no dialog (a window, were one shown, and gentle mode when asked), the spectra of a
// source frame by frame, and the show ended after its last frame. glaxen-render, the page's test
// mode and the same-show check run the main routine on it, so one seed gives the same frames
// wherever they are computed. Needs: platform/null, show/virtual_clock.h.
#pragma once

#include "show/show_platform.h"
#include "show/virtual_clock.h"

#include <cstdint>

struct VirtualPlatform {
    uint32_t seed = 0;
    VirtualClock clock;       // at its frame rate; each run starts it again
    uint64_t lastFrame = 0;   // the show ends after presenting this frame
    bool gentle = false;      // the show in gentle mode
    ShowPresenter display{};  // where the frames are also shown; without functions, nowhere
    void *user = nullptr;     // for the functions below
    // Frame k's spectrum at ms: true with out filled; false leaves out as it was, as without
    // the music or after its end.
    bool (*spectrum)(void *user, uint64_t frame, uint32_t ms, float *out) = nullptr;
    // Optional: sees each frame presented.
    void (*present)(void *user, uint64_t frame, const Pixel *pixels) = nullptr;
    // Optional: true when the run must end early (an error, a signal).
    bool (*stopped)(void *user) = nullptr;
};

// The main routine's services over platform (which must outlive them); its clock starts again.
ShowPlatform virtualShowPlatform(VirtualPlatform &platform);
