// glaxen-render's output files against signals that come at the worst moment: a signal caught
// just before a write to a full pipe or FIFO started (so the write itself is never interrupted)
// must still end that write, and standard output is left with the flags it had.
#include "render/interrupts.h"
#include "render/output_file.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kBound = 20;  // seconds a wait may take, on a loaded machine

// An output whose reader never reads, read without blocking: a FIFO opened by name, or a pipe
// put on standard output.
struct Stalled {
    std::string path;
    int reader = -1;
    int savedOutput = -1;  // standard output as it was, while the pipe stands in for it
    bool ready = false;
    Stalled(bool fifo, const Scratch &scratch) {
        int ends[2];
        if (fifo) {
            path = scratch / "out.fifo";
            ready = (reader = fifoReader(path)) >= 0;
        } else if (pipe2(ends, O_CLOEXEC) == 0) {
            std::fflush(stdout);
            path.assign(1, '-');  // standard output (assigned so, as g++ 12 warns on "-")
            reader = ends[0];
            savedOutput = dup(STDOUT_FILENO);
            dup2(ends[1], STDOUT_FILENO);
            close(ends[1]);
            ready = savedOutput >= 0;
        }
        if (reader >= 0) fcntl(reader, F_SETFL, O_NONBLOCK);
    }
    // Standard output back as it was; the reader closed.
    ~Stalled() {
        if (savedOutput >= 0) dup2(savedOutput, STDOUT_FILENO), close(savedOutput);
        if (reader >= 0) close(reader);
    }
};

}  // namespace

// The writer fills the pipe and waits; the signal is only recorded (as when it lands between
// the check and the write), so nothing interrupts the wait but the writer's own look at it.
TEST(OutputFile, ASignalJustBeforeAWaitStillEndsIt) {
    for (bool fifo : {true, false}) {
        const char *what = fifo ? "a FIFO" : "a pipe on standard output";
        Scratch scratch;
        catchInterrupts();
        OutputFile output;
        std::string error, writeError;
        const int flagsBefore = fcntl(STDOUT_FILENO, F_GETFL);
        int flagsAfterClose = -1;
        std::atomic<bool> returned{false};
        bool wrote = true, filled = false, ended = false, opened = false;
        {
            Stalled s(fifo, scratch);
            opened = s.ready && openOutput(output, s.path, {}, error);
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
            char drain[65536];
            pollfd readable = {s.reader, POLLIN, 0};
            while (opened && !returned)  // still waiting: read the pipe so the writer can finish
                if (read(s.reader, drain, sizeof drain) <= 0) poll(&readable, 1, 10);
            if (writer.joinable()) writer.join();
            if (opened) closeOutput(output, error), flagsAfterClose = fcntl(STDOUT_FILENO, F_GETFL);
        }
        releaseInterrupts();
        catchInterrupts();  // clears the recorded signal for the tests after this one
        releaseInterrupts();

        ASSERT_TRUE(opened) << what << ": " << error;
        EXPECT_TRUE(filled) << what << ": waited " << kBound << " s for the writer to fill it";
        EXPECT_TRUE(ended) << what << ": the write still waited " << kBound
                           << " s after the signal";
        EXPECT_FALSE(wrote) << what << ": the write went on after the signal";
        EXPECT_EQ(writeError, "") << what << ": a signal is not a failure";
        EXPECT_TRUE(fifo || (flagsAfterClose & O_NONBLOCK) == (flagsBefore & O_NONBLOCK))
            << what << ": its flags were not put back";
    }
}
