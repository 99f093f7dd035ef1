// The show's audio library, written once: one music stream from the decoder, through a ring,
// to an output device; its volume; its handles; and the spectrum of what is heard now, behind
// the ShowAudio table the main routine calls. A backend only drives its device: it opens and
// closes it, starts and stops it, and either pulls the stream's frames (audioHandOver and
// audioPull, on the device's thread) or plays the whole stream itself and says what it hears.
// Needs: audio/music_stream.h. No platform.
#pragma once

#include "audio/music_stream.h"
#include "audio/playback_clock.h"
#include "show/show_platform.h"

#include <cstdint>
#include <string>

struct AudioPlayer;

// What a platform's output device does for the player. Every function gets user first; the
// ones marked optional may be null.
struct AudioBackend {
    void *user = nullptr;
    // Opens the device for kMusicChannels floats at kMusicRate; *bufferFrames is its buffer, or
    // 0 for a device that plays whole streams. False, with the reason in *why, without one.
    bool (*open)(void *user, AudioPlayer &player, int *bufferFrames, std::string *why) = nullptr;
    void (*close)(void *user) = nullptr;  // its thread, if any, has ended when this returns
    void (*start)(void *user) = nullptr;  // plays on (a device of whole streams: from its start)
    void (*stop)(void *user) = nullptr;   // pauses; the heard position stays
    // Optional: the stream frame heard now, for a device that plays whole streams; without it
    // the player times what a pulling device took.
    int64_t (*heardFrame)(void *user) = nullptr;
    void (*setGain)(void *user, float gain) = nullptr;  // optional: the device's own volume
    void (*lock)(void *user) = nullptr;                 // optional: keeps the device's thread out
    void (*unlock)(void *user) = nullptr;               //   of the player's state
    // Optional: brings a file the stream needs and cannot find; null when it is there now, else
    // the reason (a page fetches it from its folder).
    const char *(*fetch)(void *user, const char *file) = nullptr;
    // Optional: gives a device that plays whole streams the file now opened; null, or the
    // reason it cannot play it.
    const char *(*load)(void *user, const char *file) = nullptr;
};

// Everything the player keeps. What a pulling device's thread uses changes under its lock.
struct AudioPlayer {
    AudioBackend backend;
    bool deviceOpen = false;
    int deviceFrames = 0;     // the device's buffer: the ring's history, the heard latency
    MusicStream stream;       // shared with the device's thread
    PlaybackClock clock;      // shared: what a pulling device took, and when
    int64_t sent = 0;         // shared: stream frames handed to the device
    float gain = 1.0f;        // shared: output volume; the spectrum ignores it
    bool playing = false;     // shared: the device takes frames from the stream
    uint32_t handle = 0;      // the stream's handle; 0 for none
    uint32_t lastHandle = 0;  // the latest handle given: a stale one never matches again
};

// The ShowAudio table over player (which must outlive it).
ShowAudio showAudio(AudioPlayer *player);

// For a pulling device's callback, under its lock: a buffer of frames starts now; false (write
// silence) when nothing plays.
bool audioHandOver(AudioPlayer &player, int frames);

// Then the buffer's frames, in pieces if need be: the stream's next frames at the volume.
void audioPull(AudioPlayer &player, float *stereo, int frames);

// The stream frame heard now; negative before the first.
int64_t audioHeardFrame(AudioPlayer &player);

// Closes the device and frees the stream, leaving the player as new (its handles go on
// counting); true when a device was open. Harmless twice.
bool audioRelease(AudioPlayer &player);
