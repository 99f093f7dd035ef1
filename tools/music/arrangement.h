// Arrangement: who plays what in each section, the mix, and the master; needs the synth pieces.
#pragma once

#include "stereo_buffer.h"

// Renders the whole track, mixed and mastered: kTrackFrames stereo frames at kSampleRate.
StereoBuffer renderTrack();
