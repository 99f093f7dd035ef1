// The page's own calls, written in JavaScript and called from the web platform: the canvas,
// input, full screen, animation frames, the page's address, files fetched from its folder, and
// Web Audio. Everything the browser keeps for the show lives in one object on the page
// (`glaxenPage`), made by browserStart; its audio part is made and closed with each show's
// audio. Needs: emscripten.
#pragma once

#include <cstdint>

// What browserNextInput reports.
enum class BrowserInput { kEnter = 1, kSpace = 2, kTab = 3, kClick = 4 };

extern "C" {

// Sets the page up once: the canvas (640 x 480, opaque), its listeners and the page's state.
void browserStart(int width, int height);

// Puts width x height RGBA pixels (opaque) on the canvas.
void browserPutPixels(const uint32_t *rgba, int width, int height);

// Waits for the page's next animation frame: none come while the page is hidden.
void browserNextAnimationFrame();

// Lets the page run its events (a test run that does not wait for animation frames).
void browserYield();

// Forgets the keys and clicks not yet taken.
void browserClearInputs();

// Waits for a key or a click on the canvas; a click's canvas pixel in *x, *y.
BrowserInput browserNextInput(int *x, int *y);

// True when Escape was pressed, or full screen was left while the show had it, since the last
// call; the latch is cleared.
bool browserTakeEscape();

// Asks for full screen for the canvas (the show started from a gesture); a refusal leaves the
// show in the page.
void browserEnterFullscreen();

// Leaves full screen if the page has it.
void browserLeaveFullscreen();

// Milliseconds since the page loaded, from the browser's monotonic clock.
double browserNow();

// Seconds of the calendar clock.
double browserCalendarSeconds();

// The page address's parameter name into out (size bytes, terminated); false when absent.
bool browserParameter(const char *name, char *out, int size);

// Fetches the page folder's file name into the file system at the same name: the HTTP status
// (200 when written), or 0 when the fetch failed.
int browserFetchFile(const char *name);

// The mouse cursor over the canvas.
void browserShowCursor(bool visible);

// Copies frame k's canvas pixels for a test to read (glaxenPage.captured[k]).
void browserCaptureFrame(uint32_t k);

// ---------------------------------------------------------------- Web Audio

// A new audio context with a gain node to its output; false when the browser has none.
bool browserAudioOpen();

// The stream to play: frames of stereo at rate, its two channels.
bool browserAudioSetStream(const float *left, const float *right, int frames, int rate);

// The output gain, 0 to 1.
void browserAudioSetGain(double gain);

// Plays the stream from its first frame now (the context resumed: a gesture started the show).
void browserAudioPlay();

// Seconds into the stream heard now, from the output's timestamp; negative before the first
// frame is heard. Held where it was once stopped.
double browserAudioHeardSeconds();

// Stops the stream; the heard position stays where it is.
void browserAudioStop();

// Closes the context.
void browserAudioClose();

}  // extern "C"
