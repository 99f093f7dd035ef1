// glaxen-render's output files against signals that come at the worst moment: a signal caught
// just before a write to a full pipe or FIFO started (so the write itself is never interrupted)
// must still end that write, and standard output is left with the flags it had.
#include "render/interrupts.h"
#include "render/output_file.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kBound = 20;  // seconds a wait may take, on a loaded machine

// True once the pipe that fd reads holds as much as it can.
bool pipeFull(int fd) {
    int bytes = 0;
    return ioctl(fd, FIONREAD, &bytes) == 0 && bytes >= fcntl(fd, F_GETPIPE_SZ);
}

// Where the output goes: a FIFO opened by name, or a pipe put on standard output.
enum class Target { kFifo, kStandardOutput };

// One output of the target kind whose reader never reads, and the reader's end.
struct Stalled {
    std::string path;
    int reader = -1;
    int savedOutput = -1;  // standard output as it was, while the pipe stands in for it
};

// Sets up the reader side; false when that fails.
bool stall(Target target, const fs::path &dir, Stalled &s) {
    if (target == Target::kFifo) {
        s.path = (dir / "out.fifo").string();
        if (mkfifo(s.path.c_str(), 0600) != 0) return false;
        s.reader = open(s.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        return s.reader >= 0;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    std::fflush(stdout);
    s.path.assign(1, '-');  // standard output
    s.reader = ends[0];
    fcntl(s.reader, F_SETFL, O_NONBLOCK);
    s.savedOutput = dup(STDOUT_FILENO);
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
    return s.savedOutput >= 0;
}

// Standard output back as it was; the reader closed.
void unstall(Stalled &s) {
    if (s.savedOutput >= 0) {
        dup2(s.savedOutput, STDOUT_FILENO);
        close(s.savedOutput);
    }
    if (s.reader >= 0) close(s.reader);
    s = Stalled{};
}

}  // namespace

// The writer fills the pipe and waits; the signal is only recorded (as when it lands between
// the check and the write), so nothing interrupts the wait but the writer's own look at it.
TEST(OutputFile, ASignalJustBeforeAWaitStillEndsIt) {
    const fs::path dir =
        fs::temp_directory_path() / ("glaxen-output-file-" + std::to_string(getpid()));
    for (Target target : {Target::kFifo, Target::kStandardOutput}) {
        const char *what = target == Target::kFifo ? "a FIFO" : "a pipe on standard output";
        fs::remove_all(dir);
        fs::create_directories(dir);
        catchInterrupts();
        Stalled s;
        const bool stalled = stall(target, dir, s);
        OutputFile output;
        std::string error;
        const int flagsBefore = fcntl(STDOUT_FILENO, F_GETFL);
        const bool opened = stalled && openOutput(output, s.path, {}, error);
        std::atomic<bool> returned{false};
        bool wrote = true;
        std::string writeError;
        std::thread writer;
        if (opened) {
            writer = std::thread([&] {
                const std::vector<char> bytes(size_t(4 * fcntl(s.reader, F_GETPIPE_SZ)), 'x');
                wrote = writeOutput(output, bytes.data(), bytes.size(), writeError);
                returned = true;
            });
        }
        const bool filled = opened && waitUntil([&] { return pipeFull(s.reader); }, kBound);
        recordInterrupt(SIGINT);
        const bool ended = opened && waitUntil([&] { return returned.load(); }, kBound);
        while (opened && !returned) {  // still waiting: read the pipe so the writer can finish
            char drain[65536];
            pollfd readable = {s.reader, POLLIN, 0};
            if (read(s.reader, drain, sizeof drain) <= 0) poll(&readable, 1, 10);
        }
        if (writer.joinable()) writer.join();
        const int flagsAfterClose =
            opened ? (closeOutput(output, error), fcntl(STDOUT_FILENO, F_GETFL)) : -1;
        unstall(s);
        releaseInterrupts();
        catchInterrupts();  // clears the recorded signal for the tests after this one
        releaseInterrupts();

        ASSERT_TRUE(stalled) << what << ": cannot set up the reader";
        ASSERT_TRUE(opened) << what << ": " << error;
        EXPECT_TRUE(filled) << what << ": waited " << kBound << " s for the writer to fill it";
        EXPECT_TRUE(ended) << what << ": the write still waited " << kBound
                           << " s after the signal";
        EXPECT_FALSE(wrote) << what << ": the write went on after the signal";
        EXPECT_EQ(writeError, "") << what << ": a signal is not a failure";
        if (target == Target::kStandardOutput) {
            EXPECT_EQ(flagsAfterClose & O_NONBLOCK, flagsBefore & O_NONBLOCK)
                << what << ": its flags were not put back";
        }
    }
    fs::remove_all(dir);
}
