// glaxen-render's run (see render_session.h).
#include "render/render_session.h"

#include "render/frame_writers.h"
#include "render/progress.h"
#include "render/spectrum_sources.h"
#include "show/show_frame.h"
#include "show/show_main.h"
#include "show/virtual_clock.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

namespace {

// Everything the virtual platform keeps for one run.
struct Session {
    explicit Session(const RenderOptions &o) : options(o) {}
    const RenderOptions &options;
    VirtualClock clock{options.fpsNum, options.fpsDen};
    uint64_t firstWritten = 0;
    uint64_t lastWritten = 0;  // the run stops after this frame
    SpectrumSource spectrum;
    OutputFile raw, y4m, dump;
    std::vector<uint8_t> y4mFrame;
    std::string error;  // the first failure; the run stops at it
    Progress progress;
};

volatile std::sig_atomic_t interrupted = 0;  // SIGINT or SIGTERM arrived

// Ctrl-C or a polite kill stops the run after the current frame; finishAll cleans up.
void onInterrupt(int) {
    interrupted = 1;
}

// The session behind a platform table's user pointer.
Session &sessionOf(void *user) {
    return *static_cast<Session *>(user);
}

// The frame index whose time is the first at or after ms.
uint64_t firstFrameAt(const RenderOptions &o, double ms) {
    uint64_t k =
        static_cast<uint64_t>(std::max(0.0, std::floor(ms * o.fpsNum / (1000.0 * o.fpsDen))));
    while (k > 0 && frameMilliseconds(o, k - 1) >= ms) --k;
    while (frameMilliseconds(o, k) < ms) ++k;
    return k;
}

// The frames the options ask to write; false when no frame lies in the stretch asked for.
bool chooseFrames(Session &s) {
    const RenderOptions &o = s.options;
    const uint64_t lastFrame = firstFrameAt(o, kShowLength);  // the frame at 140000
    if (o.frames) {
        s.firstWritten = 0;
        s.lastWritten = std::min(*o.frames - 1, lastFrame);
        return true;
    }
    s.firstWritten = std::min(firstFrameAt(o, o.from * 1000), lastFrame);
    s.lastWritten = lastFrame;
    if (o.to) {
        const uint64_t afterTo = firstFrameAt(o, *o.to * 1000 + 1e-9);
        s.lastWritten = std::min(lastFrame, afterTo > 0 ? afterTo - 1 : 0);
    }
    if (s.lastWritten >= s.firstWritten) return true;
    s.error = "no frame falls between --from and --to at this frame rate";
    return false;
}

// Writes one frame to every output asked for.
void writeFrame(Session &s, const Pixel *frame) {
    const RenderOptions &o = s.options;
    if (!o.raw.empty() && !writeOutput(s.raw, frame, sizeof(Pixel) * kScreenPixels, s.error))
        return;
    if (!o.y4m.empty()) {
        frameToY4m(frame, s.y4mFrame);
        if (!writeOutput(s.y4m, s.y4mFrame.data(), s.y4mFrame.size(), s.error)) return;
    }
    if (!o.pngDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06llu.png",
                      static_cast<unsigned long long>(s.clock.frame));
        writePngFrame(o.pngDir + name, frame, s.error);
    }
}

// ---------------------------------------------------------------- the virtual platform

// The platform the show's main routine runs on while rendering.
ShowPlatform virtualPlatform(Session &session) {
    ShowPlatform p{};
    p.system.user = p.presenter.user = p.audio.user = &session;
    p.system.calendarTime = [](void *u) {
        const RenderOptions &o = sessionOf(u).options;
        return o.seed ? *o.seed : static_cast<uint32_t>(std::time(nullptr));
    };
    p.system.milliseconds = [](void *u) { return virtualClockRead(sessionOf(u).clock); };
    p.system.escapePressed = [](void *u) {
        Session &s = sessionOf(u);
        return !s.error.empty() || interrupted || s.clock.frame >= s.lastWritten;
    };
    p.system.startDialog = [](void *, ShowSettings *) { return 1; };
    p.system.messageBox = [](void *, const char *text, const char *caption) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    };
    p.presenter.open = [](void *, const char *, int, int, bool) { return 1; };
    p.presenter.present = [](void *u, const Pixel *frame) {
        Session &s = sessionOf(u);
        if (s.clock.frame >= s.firstWritten && s.clock.frame <= s.lastWritten && s.error.empty())
            writeFrame(s, frame);
        progressUpdate(s.progress, s.clock.frame + 1);
    };
    p.presenter.close = [](void *) {};
    p.audio.getVersion = [](void *) { return kAudioVersion; };
    p.audio.init = [](void *, int, uint32_t, uint32_t) { return true; };
    p.audio.streamCreateFile = [](void *u, const char *, uint64_t, uint64_t, uint32_t) {
        return sessionOf(u).spectrum.kind == SpectrumKind::kSilent ? 0u : 1u;
    };
    p.audio.setVolume = [](void *, uint32_t) { return true; };
    p.audio.channelPlay = [](void *, uint32_t handle, bool) { return handle != 0; };
    p.audio.channelGetData = [](void *u, uint32_t handle, float *buffer, uint32_t) {
        Session &s = sessionOf(u);
        const bool read =
            handle != 0 && readSpectrum(s.spectrum, s.clock.frame, s.clock.now, buffer);
        if (!s.options.dumpSpectrum.empty() && s.error.empty())
            writeOutput(s.dump, buffer, sizeof(float) * kSpectrumSize, s.error);
        return read ? int32_t(sizeof(float) * kSpectrumSize) : -1;
    };
    p.audio.stop = [](void *) { return true; };
    p.audio.free = [](void *) { return true; };
    return p;
}

// Opens the inputs and outputs the options name; false with s.error set.
bool openAll(Session &s) {
    const RenderOptions &o = s.options;
    if (o.silent) {
        openSilentSource(s.spectrum);
    } else if (!o.spectrumFile.empty()) {
        if (!openSpectrumFile(s.spectrum, o.spectrumFile, s.error)) return false;
    } else if (!openMusicSource(s.spectrum, o.music, s.error)) {
        return false;
    }
    if (!o.pngDir.empty()) {
        std::error_code failed;
        std::filesystem::create_directories(o.pngDir, failed);
        if (failed || !std::filesystem::is_directory(o.pngDir)) {
            s.error = "cannot make the folder " + o.pngDir + ": " +
                      (failed ? failed.message() : std::string("not a folder"));
            return false;
        }
    }
    if (!o.raw.empty() && !openOutput(s.raw, o.raw, s.error)) return false;
    if (!o.dumpSpectrum.empty() && !openOutput(s.dump, o.dumpSpectrum, s.error)) return false;
    if (!o.y4m.empty()) {
        if (!openOutput(s.y4m, o.y4m, s.error)) return false;
        const std::string header = y4mHeader(o.fpsNum, o.fpsDen);
        if (!writeOutput(s.y4m, header.data(), header.size(), s.error)) return false;
    }
    return true;
}

// Gives the finished outputs their names only when every one of them closed cleanly; on any
// failure, or an interrupted run, removes them all.
bool finishAll(Session &s) {
    OutputFile *outputs[] = {&s.raw, &s.y4m, &s.dump};
    if (s.error.empty() && interrupted) s.error = "interrupted; nothing was written";
    for (OutputFile *output : outputs)
        if (output->file != nullptr && s.error.empty()) closeOutput(*output, s.error);
    for (OutputFile *output : outputs)
        if (!output->path.empty() && s.error.empty()) publishOutput(*output, s.error);
    if (!s.error.empty())
        for (OutputFile *output : outputs) abandonOutput(*output);
    closeSpectrumSource(s.spectrum);
    return s.error.empty();
}

}  // namespace

// Frames as the options say; the exit code is 0, 2 on an error, 130 when interrupted.
int renderShow(const RenderOptions &options) {
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    Session s(options);
    if (chooseFrames(s) && openAll(s)) {
        progressStart(s.progress, s.lastWritten + 1);
        showMain(virtualPlatform(s));
        progressFinish(s.progress, s.clock.frame + 1);
    }
    const bool finished = finishAll(s);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (finished) return 0;
    std::fprintf(stderr, "glaxen-render: %s\n", s.error.c_str());
    return interrupted ? 130 : 2;
}

// Options first; --help and bad options end the program before any rendering.
int renderMain(int argc, const char *const *argv) {
    RenderOptions options;
    std::string error;
    switch (parseRenderOptions(argc, argv, options, error)) {
    case ParseResult::kHelp:
        std::fputs(renderHelpText(), stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "glaxen-render: %s\n", error.c_str());
        return 2;
    case ParseResult::kRun:
        break;
    }
    return renderShow(options);
}
