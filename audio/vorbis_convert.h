// The music decoder's conversions: Vorbis channel layouts mixed to stereo, and a windowed-sinc
// rate converter to 44100 Hz whose positions are exact fractions, so it never drifts however
// long the music. Pure arithmetic, at the show's kMusicRate.
#pragma once

#include "show/show_platform.h"

#include <cstdint>
#include <vector>

constexpr int kMusicChannels = 2;           // interleaved left, right
constexpr int kMusicMinRate = 1000;         // source rates the converter takes
constexpr int kMusicMaxRate = 384000;       //
constexpr int kResamplerPushFrames = 4096;  // most source frames one push may bring

// Mixes planar channels in Vorbis order to interleaved stereo. Each side is the weighted mean of
// its channels: a channel on that side counts 1, a centre one (centre, LFE, rear centre) 0.5,
// so a signal on every channel keeps its level. Over eight channels, all count as centre.
void downmixToStereo(const float *const *planar, int channels, int frames, float *stereo);

// Output frames a link of sourceFrames at rate gives at 44100 Hz: ceil(frames * 44100 / rate).
int64_t resampledLength(int64_t sourceFrames, int rate);

// One link's rate conversion. Output frame j is the source at position j * rate / 44100,
// filtered by a Blackman-windowed sinc cut below the lower of the two Nyquist rates. Positions
// before the source's start and after its end read as silence. At 44100 Hz it copies.
struct StereoResampler {
    int rate = kMusicRate;      // source frames per second
    int reach = 0;              // source frames the filter reaches on each side of a position
    std::vector<float> kernel;  // the filter from 0 to reach, kKernelSteps points per frame
    std::vector<float> source;  // stereo source frames from sourceFirst on
    int64_t sourceFirst = 0;    // the stream position of source[0]
    int sourceCount = 0;        // frames held
    bool sourceEnded = false;   // no more source: the link ends after the held frames
    int64_t next = 0;           // the next output frame
};

// Prepares r for a link at rate whose output starts at frame firstOutput; the first push must
// then bring source from r.sourceFirst on. Allocates only when the rate changes.
void resamplerStart(StereoResampler &r, int rate, int64_t firstOutput);

// Appends source frames (at most kResamplerPushFrames, after a pull that ran short).
void resamplerPush(StereoResampler &r, const float *stereo, int frames);

// Marks the end of the link's source.
void resamplerEnd(StereoResampler &r);

// Writes up to count output frames; fewer when it needs more source or the link is over.
int resamplerPull(StereoResampler &r, float *stereo, int count);

// True when the link's source has ended and every output frame of it has been pulled.
bool resamplerDone(const StereoResampler &r);
