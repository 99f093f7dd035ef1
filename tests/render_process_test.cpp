// glaxen-render as a user runs it, in a process of its own: standard output closed or cut off,
// FIFOs nobody reads or writes, signals in the middle of a run, two runs into one --png folder
// and the progress bar on a terminal; and its output files, in this process, against a signal
// caught just before a write to a full pipe or FIFO started. Each case waits for a state, never
// for a time.
#include "render/interrupts.h"
#include "render/output_file.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kBound = 60;  // seconds any one wait may take, on a loaded machine

// The renderer in a child process, with the words of line (see wordsOf).
Child render(const std::string &line, const Scratch &scratch, bool outputClosed = false) {
    return Child(GLAXEN_RENDER, wordsOf(line, scratch), outputClosed);
}

// Reads what a pipe or FIFO opened without blocking holds now.
void drain(int fd) {
    char buffer[65536];
    while (read(fd, buffer, sizeof buffer) > 0) continue;
}

// An output whose reader never reads: a FIFO opened by name, or a pipe put on standard output.
struct Stalled {
    std::string path;
    int reader = -1;
    int savedOutput = -1;  // standard output as it was, while the pipe stands in for it
    Stalled(bool fifo, const Scratch &scratch) {
        int ends[2];
        if (fifo) {
            path = scratch / "out.fifo";
            reader = fifoReader(path);
        } else if (pipe2(ends, O_CLOEXEC) == 0) {
            std::fflush(stdout);
            path.assign(1, '-');  // standard output (assigned so, as g++ 12 warns on "-")
            reader = ends[0];
            savedOutput = dup(STDOUT_FILENO);
            dup2(ends[1], STDOUT_FILENO);
            close(ends[1]);
        }
    }
    // Standard output back as it was; the reader closed.
    ~Stalled() {
        if (savedOutput >= 0) dup2(savedOutput, STDOUT_FILENO), close(savedOutput);
        if (reader >= 0) close(reader);
    }
};

}  // namespace

// Runs that end at once with exit 2, saying why and writing nothing: standard output closed (no
// other output may take its place), a FIFO as the music, and a first frame that fails (the
// progress bar counts frames written, not frames tried).
TEST(RenderProcess, RunsThatCannotWriteEndSayingWhy) {
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"--silent --frames 2 --raw - --y4m @c", true, "standard output: it is closed"},
        {"--music @fifo --raw @o", false, "not a regular file"},
        {"--silent --frames 3 --raw /dev/full", false, "0/3 frames"},
    };
    Scratch scratch;
    ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0600), 0);
    for (const auto &[line, outputClosed, said] : cases) {
        Child child = render(line, scratch, outputClosed);
        EXPECT_EQ(waitForExit(child, kBound), 2) << line << ": " << child.said;
        EXPECT_NE(child.said.find(said), std::string::npos) << line << ": " << child.said;
        EXPECT_EQ(namesIn(scratch.dir), Names{"fifo"}) << line;
    }
}

// Each signal, sent while the run is blocked on a full FIFO, on a full pipe (`... --raw - |
// sleep 12`) or on a FIFO nobody opened to read, ends it with 128 + N and removes every
// unfinished output; a reader of the pipe that goes away ends it as SIGPIPE does.
TEST(RenderProcess, SignalsEndABlockedRunAndRemoveItsOutputs) {
    enum Block { kFullFifo, kFullPipe, kNoReader };
    const std::pair<int, Block> cases[] = {
        {SIGINT, kFullFifo},  {SIGTERM, kFullFifo}, {SIGHUP, kFullFifo}, {SIGQUIT, kFullFifo},
        {SIGTERM, kFullPipe}, {SIGPIPE, kFullPipe}, {SIGINT, kNoReader}};
    const char *blockedOn[] = {"a full FIFO", "a full pipe", "a FIFO with no reader"};
    for (const auto &[signal, block] : cases) {
        const std::string name = std::string("SIG") + sigabbrev_np(signal);
        const std::string shown = name + " blocked on " + blockedOn[block];
        Scratch scratch;
        const int reader = block == kFullFifo ? fifoReader(scratch / "raw.fifo") : -1;
        ASSERT_TRUE(block != kFullFifo || reader >= 0) << shown;
        ASSERT_TRUE(block != kNoReader || mkfifo((scratch / "raw.fifo").c_str(), 0600) == 0);
        const std::string raw = block == kFullPipe ? "-" : "@raw.fifo";
        Child child = render("--silent --y4m @a --dump-spectrum @b --raw " + raw, scratch);
        ASSERT_TRUE(
            block == kNoReader
                ? waitForSaid(child, "waiting for a reader of", kBound)
                : waitUntil([&] { return pipeFull(reader < 0 ? child.output : reader); }, kBound))
            << shown << ": waiting for the renderer to block";
        if (signal == SIGPIPE)
            close(std::exchange(child.output, -1));  // the reader goes away
        else
            kill(child.pid, signal);
        EXPECT_EQ(waitForExit(child, kBound), 128 + signal) << shown << ": " << child.said;
        EXPECT_NE(child.said.find("stopped by " + name), std::string::npos)
            << shown << ": " << child.said;
        EXPECT_EQ(namesIn(scratch.dir), block == kFullPipe ? Names{} : Names{"raw.fifo"}) << shown;
        if (reader >= 0) close(reader);
    }
}

// A --png run stopped by Ctrl-C after its third PNG leaves DIR, an earlier run's frames, as it
// was, and no part folder; a second run into DIR meanwhile is refused at once.
TEST(RenderProcess, AnInterruptedPngRunLeavesTheFolderAsItWas) {
    Scratch scratch;
    Child earlier = render("--silent --seed 9 --frames 4 --png @p", scratch);
    ASSERT_EQ(waitForExit(earlier, kBound), 0) << earlier.said;
    const auto before = snapshot(scratch / "p");
    const int reader = fifoReader(scratch / "raw.fifo");
    ASSERT_GE(reader, 0);
    Child child = render("--silent --raw @raw.fifo --png @p", scratch);
    ASSERT_TRUE(waitUntil(
        [&] { return drain(reader), fs::exists(scratch / "p.part/frame_000002.png"); }, kBound))
        << "waiting for the third PNG";
    Child second = render("--silent --frames 3 --png @p", scratch);
    EXPECT_EQ(waitForExit(second, kBound), 2) << second.said;
    EXPECT_NE(second.said.find("another run is writing there"), std::string::npos) << second.said;
    kill(child.pid, SIGINT);
    EXPECT_EQ(waitForExit(child, kBound), 128 + SIGINT) << child.said;
    close(reader);
    EXPECT_NE(child.said.find("p is as it was"), std::string::npos) << child.said;
    EXPECT_TRUE(snapshot(scratch / "p") == before) << "p changed";
    EXPECT_EQ(namesIn(scratch.dir), (Names{"p", "raw.fifo"}));
}

// The writer fills the pipe and waits; the signal is only recorded (as when it lands between
// the check and the write), so nothing interrupts the wait but the writer's own look at it.
TEST(OutputFile, ASignalJustBeforeAWaitStillEndsIt) {
    for (bool fifo : {true, false}) {
        const char *what = fifo ? "a FIFO" : "a pipe on standard output";
        Scratch scratch;
        catchInterrupts();
        OutputFile output;
        std::string error, writeError;
        const int before = fcntl(STDOUT_FILENO, F_GETFL);  // standard output's flags
        int after = -1;
        std::atomic<bool> returned{false};
        bool wrote = true, filled = false, ended = false, opened = false;
        {
            Stalled s(fifo, scratch);
            opened = s.reader >= 0 && openOutput(output, s.path, {}, error);
            std::thread writer;
            if (opened)
                writer = std::thread([&] {
                    const std::vector<char> bytes(size_t(4 * fcntl(s.reader, F_GETPIPE_SZ)), 'x');
                    wrote = writeOutput(output, bytes.data(), bytes.size(), writeError);
                    returned = true;
                });
            filled = opened && waitUntil([&] { return pipeFull(s.reader); }, kBound);
            recordInterrupt(SIGINT);
            ended = opened && waitUntil([&] { return returned.load(); }, kBound);
            if (!returned) close(std::exchange(s.reader, -1));  // a write still waiting: EPIPE
            if (writer.joinable()) writer.join();
            if (opened) closeOutput(output, error), after = fcntl(STDOUT_FILENO, F_GETFL);
        }
        releaseInterrupts();
        catchInterrupts();  // clears the recorded signal for the tests after this one
        releaseInterrupts();

        ASSERT_TRUE(opened) << what << ": " << error;
        EXPECT_TRUE(filled) << what << ": waited " << kBound << " s for the writer to fill it";
        EXPECT_TRUE(ended) << what << ": the write still waited after the signal";
        EXPECT_FALSE(wrote) << what << ": the write went on after the signal";
        EXPECT_EQ(writeError, "") << what << ": a signal is not a failure";
        EXPECT_EQ(after & O_NONBLOCK, before & O_NONBLOCK) << what << ": flags not put back";
    }
}
