// A scripted platform for driving the show's main routine in tests: a clock that plays back a
// list of times, a dialog with a chosen result, an audio library of a chosen version and stream,
// and a log of every call in order.
#pragma once

#include "show/show_platform.h"

#include <functional>
#include <string>
#include <vector>

struct FakePlatform {
    // Script
    uint32_t seed = 1;                 // calendar time
    std::vector<uint32_t> clock;       // successive millisecond reads; the last repeats
    int dialogResult = 1;              // what the start dialog returns
    ShowSettings dialogSettings;       // what the dialog leaves in the settings
    uint32_t version = kAudioVersion;  // audio library version
    uint32_t stream = 0;               // handle stream creation returns
    int escapeOnFrame = -1;            // the poll after this present reports Escape
    std::function<void(float *spectrum)> fillSpectrum;  // a successful read, when set
    std::function<void(const Pixel *frame)> onPresent;  // sees each presented frame

    // Record
    std::string calls;  // "name(args) " for each call, in order
    int presents = 0;
    size_t clockReads = 0;

    // The three tables, pointing back at this object.
    ShowPlatform platform();
};
