// The do-nothing platform (see null_platform.h).
#include "platform/null/null_platform.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

// ---------------------------------------------------------------- system

// Seconds of the calendar clock.
uint32_t nullCalendarTime(void *) {
    return static_cast<uint32_t>(std::time(nullptr));
}

// Milliseconds of the monotonic clock, wrapping at 32 bits.
uint32_t nullMilliseconds(void *) {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// No keyboard: never pressed.
bool nullEscapePressed(void *) {
    return false;
}

// No dialog: the show starts with its defaults.
int nullStartDialog(void *, ShowSettings *) {
    return 1;
}

// No message box: the text goes to standard error.
void nullMessageBox(void *, const char *text, const char *caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

// ---------------------------------------------------------------- presenter

// No display to open.
int nullOpen(void *, const char *, int, int, bool) {
    return 0;
}

// Nothing to show a frame on.
void nullPresent(void *, const Pixel *) {}

// Nothing to close.
void nullClose(void *) {}

// ---------------------------------------------------------------- audio

// The expected version, so the show goes on without sound.
uint32_t nullGetVersion(void *) {
    return kAudioVersion;
}

// No output device to start.
bool nullInit(void *, int, uint32_t, uint32_t) {
    return false;
}

// No stream: handle 0.
uint32_t nullStreamCreateFile(void *, const char *, uint64_t, uint64_t, uint32_t) {
    return 0;
}

// Nothing to make quieter.
bool nullSetVolume(void *, uint32_t) {
    return true;
}

// Nothing to play.
bool nullChannelPlay(void *, uint32_t, bool) {
    return false;
}

// No stream: the spectrum is left as it was.
int32_t nullChannelGetData(void *, uint32_t, float *, uint32_t) {
    return -1;
}

// Nothing to stop.
bool nullStop(void *) {
    return true;
}

// Nothing to free.
bool nullFree(void *) {
    return true;
}

}  // namespace

// The three tables.
ShowPlatform nullPlatform() {
    ShowPlatform platform{};
    platform.system = {nullptr,           nullCalendarTime, nullMilliseconds,
                       nullEscapePressed, nullStartDialog,  nullMessageBox};
    platform.presenter = {nullptr, nullOpen, nullPresent, nullClose};
    platform.audio = {nullptr,       nullGetVersion,  nullInit,           nullStreamCreateFile,
                      nullSetVolume, nullChannelPlay, nullChannelGetData, nullStop,
                      nullFree};
    return platform;
}
