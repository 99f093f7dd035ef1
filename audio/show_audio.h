// The show's audio library, written once: one music stream from the decoder, through a ring,
// to an output device; its volume; its handles; and the spectrum of what is heard now, behind
// the ShowAudio table the main routine calls. A backend only drives its device: it opens and
// closes it, starts and stops it, and pulls the stream's frames (audioHandOver and audioPull on
// a device's thread, or audioPullable and audioPull at the device's own pace). Music the
// backend fetches arrives in bytes: the stream opens and decodes as they come (audioStreamArrive).
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
    // Opens the device for kMusicChannels floats at kMusicRate; *bufferFrames is what it holds
    // ahead of what is heard. False, with the reason in *why, without one.
    bool (*open)(void *user, AudioPlayer &player, int *bufferFrames, std::string *why) = nullptr;
    void (*close)(void *user) = nullptr;  // its thread, if any, has ended when this returns
    void (*start)(void *user) = nullptr;  // plays on
    void (*stop)(void *user) = nullptr;   // pauses; the heard position stays
    // Optional: the stream frame heard now, for a device on a clock of its own; without it the
    // player times what the device took (audioHandOver).
    int64_t (*heardFrame)(void *user) = nullptr;
    void (*setGain)(void *user, float gain) = nullptr;  // optional: the device's own volume
    void (*lock)(void *user) = nullptr;                 // optional: keeps the device's thread out
    void (*unlock)(void *user) = nullptr;               //   of the player's state
    // Optional: starts bringing a file the stream needs and cannot find (a page fetches it from
    // its folder): its bytes as they arrive, the backend's to keep; null, with the reason in
    // *why, when they cannot come.
    const MusicBytes *(*fetch)(void *user, const char *file, const char **why) = nullptr;
    // With fetch: why the bytes stopped coming before they were all here, or null.
    const char *(*fetchError)(void *user) = nullptr;
    // With fetch: the bytes are not music that plays; the next fetch brings them anew.
    void (*fetchRejected)(void *user) = nullptr;
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
    const MusicBytes *arriving = nullptr;  // the music's bytes while too few are here to open
    std::string arrivingFile;              // its name, for the line when it will not play
    int64_t arrivingTried = 0;             // bytes here at the last try to open them
};

// Where the stream is on its way in.
enum class AudioStreamState {
    kNone,      // no stream: none asked for, or it will not play (said once)
    kArriving,  // its bytes are coming, too few yet to play its first frames
    kPlayable   // it plays from its first frame
};

// The ShowAudio table over player (which must outlive it).
ShowAudio showAudio(AudioPlayer *player);

// For a pulling device's callback, under its lock: a buffer of frames starts now; false (write
// silence) when nothing plays.
bool audioHandOver(AudioPlayer &player, int frames);

// Then the buffer's frames, in pieces if need be: the stream's next frames at the volume.
void audioPull(AudioPlayer &player, float *stereo, int frames);

// For a device that takes frames at its own pace: how many of the next frames, up to frames, it
// can take now (all but those whose bytes have not arrived); 0 once the stream has ended or
// while nothing plays.
int audioPullable(AudioPlayer &player, int frames);

// Opens the stream's music once enough of its bytes are here and decodes its first frames; a
// platform whose backend fetches asks this until the stream is no longer arriving.
AudioStreamState audioStreamArrive(AudioPlayer &player);

// The stream frame heard now; negative before the first.
int64_t audioHeardFrame(AudioPlayer &player);

// Closes the device and frees the stream, leaving the player as new (its handles go on
// counting); true when a device was open. Harmless twice.
bool audioRelease(AudioPlayer &player);
