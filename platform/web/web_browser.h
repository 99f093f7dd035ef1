// The page's own calls, called from the web platform: the canvas, input, the show's phases on
// the page (full screen, the screen kept awake), animation frames, the page's address, files
// fetched from its folder, the music's download and Web Audio. The page's code (web_page.js)
// runs before the program does and keeps everything in one object on the page (`glaxenPage`);
// these calls reach it. Needs: emscripten.
#pragma once

#include <cstdint>
#include <string>

// What browserNextInput reports.
enum class BrowserInput { kEnter = 1, kSpace = 2, kTab = 3, kClick = 4 };

// What the program is doing, for the page: its line, its layout and the gestures it takes.
enum class BrowserPhase { kDialog = 1, kWaiting = 2, kShow = 3 };

// What a fetch comes to besides an HTTP status.
constexpr int kFetchFailed = -1;     // the request failed
constexpr int kFetchBrokeOff = -2;   // the answer was cut short
constexpr int kFetchElsewhere = -3;  // not on the page's own origin: never requested

extern "C" {

// Sets the canvas up once: width x height, opaque.
void browserStart(int width, int height);

// Puts width x height RGBA pixels (opaque) on the canvas.
void browserPutPixels(const uint32_t *rgba, int width, int height);

// Calls frame(user) until it returns false: paced, once at each of the page's animation frames
// (none come while the page is hidden); else as fast as the page's events allow (a test run),
// every few frames letting them run. Returns when the last call has.
void browserRunFrames(bool (*frame)(void *user), void *user, bool paced);

// Waits for a key, a click on the canvas or a tap; a click's canvas pixel in *x, *y.
BrowserInput browserNextInput(int *x, int *y);

// Tells the page what the program is doing now.
void browserSetPhase(BrowserPhase phase);

// The show is over or called off: full screen left, the screen free to sleep, the page's layout
// back.
void browserEndShow();

// True when Escape was pressed, full screen was left while the show had it, or a touch ended
// the show, since the last call; the latch is cleared.
bool browserTakeEscape();

// Asks for full screen for the picture unless the gesture that started the show did; a refusal
// leaves the picture filling the page.
void browserEnterFullscreen();

// Milliseconds since the page loaded, from the browser's monotonic clock.
double browserNow();

// Seconds of the calendar clock.
double browserCalendarSeconds();

// Fetches the file at path (relative to the page; folders are made) into the file system at
// the same path: the HTTP status (200 when written), kFetchFailed, or kFetchElsewhere.
int browserFetchFile(const char *path);

// The mouse cursor over the canvas.
void browserShowCursor(bool visible);

// Copies frame k's canvas pixels for a test to read (glaxenPage.captured[k]).
void browserCaptureFrame(uint32_t k);

// For the benchmarks (?timings): the time now as mark part of this frame; the page marks the
// animation frame's start and the canvas's put itself, and keeps each frame's part times.
void browserMark(int part);
constexpr int kMarkSpectrum = 1;      // the spectrum read starts
constexpr int kMarkSpectrumDone = 2;  // and ends
constexpr int kMarkRgba = 3;          // the RGBA pass starts

// ---------------------------------------------------------------- the music's download

// Starts fetching the music from the page's folder unless its bytes are here or coming.
void browserMusicFetch(const char *name);

// Copies up to size of its bytes from offset on into out: how many have arrived there.
int browserMusicRead(double offset, void *out, int size);

// The bytes here now; whether they are all.
double browserMusicArrived();
bool browserMusicComplete();

// Why the download failed: 0 while it has not, the HTTP status of an answer that is not the
// file, kFetchFailed or kFetchBrokeOff.
int browserMusicError();

// The bytes are not music that plays: the next fetch starts over.
void browserMusicRejected();

// True when playing can start without catching up with the download, the file holding
// bytesPerSecond for each second of music.
bool browserMusicKeepsAhead(double bytesPerSecond);

// Waits until more of the music arrives, its download fails, Escape comes, or a quarter second.
void browserWaitMusic();

// ---------------------------------------------------------------- Web Audio

// True when the browser has Web Audio.
bool browserAudioAvailable();

// Starts a stream from its first frame, queued as the program pulls it; false without the
// audio context a gesture makes.
bool browserAudioPlay();

// Queues frames of the stream, two channels, right after the frames queued before.
void browserAudioQueue(const float *left, const float *right, int frames);

// Frames queued and not heard yet.
double browserAudioQueued();

// The stream frame heard now, from the output's clock; negative before the first. Held where
// it was once stopped.
double browserAudioHeardFrame();

// Stops the stream; the heard position stays where it is.
void browserAudioStop();

// The stream is over: the context rests until the next gesture.
void browserAudioClose();

// The output gain, 0 to 1.
void browserAudioSetGain(double gain);

}  // extern "C"

// The page address's parameter name, whole, into value; false when absent.
bool browserParameter(const char *name, std::string &value);
