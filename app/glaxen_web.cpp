// glaxen in a web page: the process entry. It wires the web platform to the main routine and
// runs one show after another: the dialog comes back when a show ends, since a page has no
// exit. Start-up and shutdown run in this routine, suspended at the page's waits; the frames
// run in between at the page's animation frames. The test mode runs one show and marks the
// page done.
#include "platform/web/web_platform.h"
#include "show/show_frame.h"
#include "show/show_main.h"

#include <emscripten.h>

// The spectrum the show read last, for the page's tests (1024 floats).
extern "C" EMSCRIPTEN_KEEPALIVE const float *glaxenSpectrum() {
    return showBuffers().spectrum;
}

namespace {
// One frame of the running show.
bool runFrame(void *run) {
    return showFrame(*static_cast<ShowRun *>(run));
}
}  // namespace

// Runs shows for as long as the page is open.
int main() {
    static WebPlatform platform;  // lives as long as the page, like the show's buffers
    static ShowRun run;
    const bool ready = webPlatformInit(platform);
    while (ready) {
        const ShowPlatform show = webShowPlatform(platform);
        if (showStart(run, show) < 0) {
            webRunFrames(platform, runFrame, &run);
            showEnd(run);
        }
        if (platform.test.on) break;
    }
    EM_ASM(glaxenPage.done = true);
    return ready ? 0 : 2;
}
