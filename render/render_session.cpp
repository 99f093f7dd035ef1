// glaxen-render's run (see render_session.h).
#include "render/render_session.h"

#include "platform/virtual/virtual_platform.h"
#include "render/flash_report.h"
#include "render/frame_workers.h"
#include "render/interrupts.h"
#include "render/output_file.h"
#include "render/progress.h"
#include "render/spectrum_feed.h"
#include "render/y4m_stream.h"
#include "show/show_frame.h"
#include "show/show_main.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

constexpr int kExitFailed = 2;
constexpr int kExitSignalBase = 128;  // ended by signal N: 128 + N, as shells report it

// Everything the virtual platform keeps for one run.
struct Session {
    explicit Session(const RenderOptions &o) : options(o) {}
    const RenderOptions &options;
    VirtualPlatform run;  // its last frame is the last written
    uint64_t firstWritten = 0;
    uint64_t framesDone = 0;  // frames computed and, when asked for, written
    SpectrumSource spectrum;
    SpectrumFeed feed;
    FrameWorkers workers;
    OutputFile raw, y4m, dump;
    FrameFolder png;
    FlashOutputs flash;
    std::string error;  // the first failure; the run stops at it
    Progress progress;
};

// The session behind a platform table's user pointer.
Session &sessionOf(void *user) {
    return *static_cast<Session *>(user);
}

// The frames the options ask to write; false when no frame lies in the stretch asked for.
bool chooseFrames(Session &s) {
    const RenderOptions &o = s.options;
    const uint64_t lastFrame = firstFrameAt(kShowLength, o.fpsNum, o.fpsDen);
    if (o.frames) {
        s.firstWritten = 0;
        s.run.lastFrame = std::min(*o.frames - 1, lastFrame);
        return true;
    }
    s.firstWritten = firstFrameAt(o.fromMs, o.fpsNum, o.fpsDen);
    s.run.lastFrame = lastFrame;
    if (o.toMs)
        s.run.lastFrame = std::min(lastFrame, firstFrameAt(*o.toMs + 1, o.fpsNum, o.fpsDen) - 1);
    if (s.run.lastFrame >= s.firstWritten) return true;
    s.error = "no frame falls between --from and --to at this frame rate";
    return false;
}

// True once the run must stop: a failure here or in a worker, or a signal.
bool stopped(Session &s) {
    if (s.error.empty() && s.workers.failed) {
        std::lock_guard<std::mutex> hold(s.workers.lock);
        s.error = s.workers.error;
    }
    return !s.error.empty() || interruptSignal() != 0;
}

// A slot the workers are done with: its y4m frame written, the frame counted.
bool retireSlot(void *user, FrameSlot &slot) {
    Session &s = sessionOf(user);
    if (!s.options.y4m.empty() && !writeOutput(s.y4m, slot.y4m.data(), slot.y4m.size(), s.error))
        return false;
    s.framesDone = slot.frame + 1;
    return true;
}

// The raw frame straight from the show's buffer; the rest through a worker's slot.
void writeFrame(Session &s, const Pixel *frame) {
    const uint64_t k = s.run.clock.frame;
    if (!s.options.raw.empty() &&
        !writeOutput(s.raw, frame, sizeof(Pixel) * kScreenPixels, s.error))
        return;
    if (!frameWorkersActive(s.workers)) {
        s.framesDone = k + 1;
        return;
    }
    FrameSlot *slot = freeSlot(s.workers, retireSlot, &s);
    if (slot == nullptr) return;
    std::copy(frame, frame + kScreenPixels, slot->pixels.begin());
    submitSlot(s.workers, *slot, k);
    retireDone(s.workers, false, retireSlot, &s);
}

// ---------------------------------------------------------------- the virtual platform

// The spectra from the feed, each also written out when asked.
bool takeFrameSpectrum(void *user, uint64_t frame, uint32_t, float *out) {
    Session &s = sessionOf(user);
    const bool read = takeSpectrum(s.feed, frame, out) == FeedResult::kSpectrum;
    if (!s.options.dumpSpectrum.empty() && !stopped(s))
        writeOutput(s.dump, out, sizeof(float) * kSpectrumSize, s.error);
    return read;
}

// The frames from the first asked for are written; the ones before are only counted.
void presentFrame(void *user, uint64_t frame, const Pixel *pixels) {
    Session &s = sessionOf(user);
    if (stopped(s)) return;
    if (s.flash.asked) analyseFrame(s.flash.analysis, pixels, frameMilliseconds(s.options, frame));
    if (frame >= s.firstWritten)
        writeFrame(s, pixels);
    else
        s.framesDone = frame + 1;
    progressUpdate(s.progress, s.framesDone);
}

// The virtual platform with the options' seed and frame rate, ended early by a failure or a
// signal.
ShowPlatform renderPlatform(Session &s) {
    const RenderOptions &o = s.options;
    s.run.seed = o.seed ? *o.seed : static_cast<uint32_t>(std::time(nullptr));
    s.run.clock = VirtualClock{o.fpsNum, o.fpsDen};
    s.run.gentle = o.gentle;
    s.run.user = &s;
    s.run.spectrum = takeFrameSpectrum;
    s.run.present = presentFrame;
    s.run.stopped = [](void *user) { return stopped(sessionOf(user)); };
    return virtualShowPlatform(s.run);
}

// ---------------------------------------------------------------- opening and finishing

// The source the options name, and the files it reads, which no output may be.
bool openInputs(Session &s, std::vector<InputFile> &inputs) {
    const RenderOptions &o = s.options;
    FileId id;
    if (o.silent) return openSilentSource(s.spectrum);
    if (!o.spectrumFile.empty()) {
        if (!openSpectrumFile(s.spectrum, o.spectrumFile, s.error)) return false;
        if (fileIdOf(o.spectrumFile, id)) inputs.push_back({"the spectra " + o.spectrumFile, id});
        return true;
    }
    if (!openMusicSource(s.spectrum, o.music, s.error)) return false;
    if (fileIdOf(o.music, id)) inputs.push_back({"the music " + o.music, id});
    return true;
}

// Opens the inputs and outputs the options name and starts the helper threads; false with
// s.error set, or with a signal recorded.
bool openAll(Session &s) {
    const RenderOptions &o = s.options;
    std::vector<InputFile> inputs;
    if (!openInputs(s, inputs)) return false;
    if (!o.pngDir.empty() && !openFrameFolder(s.png, o.pngDir, s.error)) return false;
    if (!o.raw.empty() && !openOutput(s.raw, o.raw, inputs, s.error)) return false;
    if (!o.dumpSpectrum.empty() && !openOutput(s.dump, o.dumpSpectrum, inputs, s.error))
        return false;
    if (!o.y4m.empty()) {
        if (!openOutput(s.y4m, o.y4m, inputs, s.error)) return false;
        const std::string header = y4mHeader(o.fpsNum, o.fpsDen);
        if (!writeOutput(s.y4m, header.data(), header.size(), s.error)) return false;
    }
    if (!openFlashOutputs(s.flash, o, frameMilliseconds(o, s.firstWritten), inputs, s.error))
        return false;
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    const FrameFolder *png = o.pngDir.empty() ? nullptr : &s.png;
    if (!startFrameWorkers(s.workers, !o.y4m.empty(), png, threads, s.error)) return false;
    startSpectrumFeed(s.feed, s.spectrum, o.fpsNum, o.fpsDen, s.run.lastFrame + 1);
    return true;
}

// names joined by separator after a lead, or nothing when there are none.
std::string listed(const std::string &lead, const std::vector<std::string> &names,
                   const char *separator = ", ") {
    std::string text;
    for (const std::string &name : names) text += (text.empty() ? lead : separator) + name;
    return text;
}

// What a run that did not finish leaves: the files it removed, the streams written in place
// (standard output, a FIFO) that got a part, and the --png folder as abandoning it said.
std::string whatWasKept(const std::vector<std::string> &removed,
                        const std::vector<std::string> &partial, const std::string &png) {
    std::vector<std::string> parts;
    if (!removed.empty()) parts.push_back(listed("removed the unfinished ", removed));
    if (!partial.empty()) parts.push_back(listed("a part went to ", partial));
    if (!png.empty()) parts.push_back(png);
    return parts.empty() ? "nothing was written" : listed("", parts, "; ");
}

// Gives the finished outputs their names, the --png folder last, only when every one of them
// closed cleanly; on any failure, or a signal, removes them all and says what is left.
bool finishAll(Session &s) {
    OutputFile *outputs[] = {&s.raw, &s.y4m, &s.dump, &s.flash.report, &s.flash.plot};
    stopSpectrumFeed(s.feed);
    if (!stopped(s) && frameWorkersActive(s.workers)) retireDone(s.workers, true, retireSlot, &s);
    stopFrameWorkers(s.workers);
    stopped(s);  // a worker's last failure
    if (s.flash.asked && !stopped(s))
        writeFlashOutputs(s.flash, flashHeading(s.options, s.run.seed), s.error);
    for (OutputFile *output : outputs)
        if (output->fd >= 0 && !stopped(s)) closeOutput(*output, s.error);
    for (OutputFile *output : outputs)
        if (!output->path.empty() && !stopped(s)) publishOutput(*output, s.error);
    if (s.png.fd >= 0 && !stopped(s)) publishFrameFolder(s.png, s.error);
    closeSpectrumSource(s.spectrum);
    if (!stopped(s)) return true;
    std::vector<std::string> removed, partial;
    for (OutputFile *output : outputs) {
        if (!output->temporary.empty()) removed.push_back(output->path);
        if (output->fd >= 0 && output->temporary.empty())
            partial.push_back(output->standardOutput ? "standard output" : output->path);
        abandonOutput(*output);
    }
    const std::string png = abandonFrameFolder(s.png);
    const int signal = interruptSignal();
    const std::string what = signal != 0 ? "stopped by " + std::string(interruptName(signal)) +
                                               " after " + std::to_string(s.framesDone) + " of " +
                                               std::to_string(s.run.lastFrame + 1) + " frames"
                                         : s.error;
    std::fprintf(stderr, "glaxen-render: %s; %s\n", what.c_str(),
                 whatWasKept(removed, partial, png).c_str());
    return false;
}

}  // namespace

// Frames as the options say; the exit code is 0, 2 on an error, 128 + N after signal N.
int renderShow(const RenderOptions &options) {
    catchInterrupts();
    Session s(options);
    if (chooseFrames(s) && openAll(s)) {
        progressStart(s.progress, s.run.lastFrame + 1);
        showMain(renderPlatform(s));
        progressFinish(s.progress, s.framesDone);
    }
    const bool finished = finishAll(s);
    const int signal = interruptSignal();
    releaseInterrupts();
    if (finished) return 0;
    return signal != 0 ? kExitSignalBase + signal : kExitFailed;
}

// Options first; --help and bad options end the program before any rendering.
int renderMain(int argc, const char *const *argv) {
    const bool outputClosed = reserveStandardStreams();
    RenderOptions options;
    std::string error;
    switch (parseRenderOptions(argc, argv, options, error)) {
    case ParseResult::kHelp:
        std::fputs(renderHelpText(), stdout);
        return 0;
    case ParseResult::kError:
        std::fprintf(stderr, "glaxen-render: %s\n", error.c_str());
        return kExitFailed;
    case ParseResult::kRun:
        break;
    }
    for (const std::string *path : {&options.raw, &options.y4m, &options.dumpSpectrum})
        if (outputClosed && *path == "-") {
            std::fprintf(stderr, "glaxen-render: cannot write standard output: it is closed\n");
            return kExitFailed;
        }
    return renderShow(options);
}
