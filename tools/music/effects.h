// Effects: reverb, ping-pong delay and kick-driven ducking of whole buses; needs stereo_buffer.h.
#pragma once

#include "stereo_buffer.h"

#include <vector>

// Feedback-delay-network reverb of send into a new wet bus; decay is the RT60 in seconds.
StereoBuffer renderReverb(const StereoBuffer &send, double decay, double dampingHz,
                          double predelay);

// Ping-pong echo of send into a new wet bus: first repeat left, then right, and so on.
StereoBuffer renderPingPong(const StereoBuffer &send, double delay, double feedback, double toneHz);

// Gain curve that dips by depth (0..1) at each kick time and recovers over `recover` seconds.
std::vector<float> duckingCurve(long frames, const std::vector<double> &kicks, double depth,
                                double recover);

// Multiplies a bus by a gain curve of the same length.
void applyGain(StereoBuffer &bus, const std::vector<float> &gain);
