// glaxen-render as a user runs it, in a process of its own: standard output closed or cut off,
// FIFOs nobody reads or writes, signals in the middle of a run, times past the show's end, and
// the progress bar on a terminal. Each case waits for a state (a message, a full pipe, a file),
// never for a time, and every wait is bounded.
#include "child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kBound = 60;  // seconds any one wait may take, on a loaded machine
constexpr size_t kFrameBytes = 640 * 480 * 4;

// A scratch folder for one test, removed afterwards.
struct Scratch {
    fs::path dir;
    Scratch() {
        dir = fs::temp_directory_path() /
              ("glaxen-render-process-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator/(const std::string &name) const { return (dir / name).string(); }
    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto &entry : fs::directory_iterator(dir))
            all.push_back(entry.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    }
};

// The renderer in a child process.
Child render(const std::vector<std::string> &args, ChildOutput output = ChildOutput::kNull,
             bool errorsOnTerminal = false) {
    return startChild(GLAXEN_RENDER, args, output, errorsOnTerminal);
}

// Bytes waiting in a pipe or FIFO.
int pending(int fd) {
    int bytes = 0;
    return ioctl(fd, FIONREAD, &bytes) == 0 ? bytes : -1;
}

// True once the pipe behind fd holds as much as it can: its writer is blocked, or about to be.
bool pipeFull(int fd) {
    return pending(fd) >= fcntl(fd, F_GETPIPE_SZ);
}

// Reads exactly size bytes from a blocking fd; false on its end.
bool readExactly(int fd, size_t size) {
    std::vector<char> buffer(65536);
    while (size > 0) {
        const ssize_t n = read(fd, buffer.data(), std::min(size, buffer.size()));
        if (n <= 0) return false;
        size -= size_t(n);
    }
    return true;
}

// The read end of a FIFO, opened without waiting for the writer, then blocking.
int openFifoReader(const std::string &path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// "SIGINT" and so on.
std::string nameOf(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
    case SIGPIPE:
        return "SIGPIPE";
    }
    return "signal " + std::to_string(signal);
}

}  // namespace

// A --to past the show's end is the end: the whole show, 141 frames at 1 frame a second.
TEST(RenderProcess, ToPastTheEndIsTheEnd) {
    Scratch scratch;
    for (const char *to : {"140", "4294968", "2147483648", "9223372036854775808",
                           "1000000000000000000", "99999999999999999999999999.5"}) {
        Child child = render(
            {"--silent", "--seed", "1", "--fps", "1", "--to", to, "--raw", scratch / "out.raw"});
        ASSERT_TRUE(waitForExit(child, kBound))
            << "--to " << to << " still running after " << kBound << " s";
        EXPECT_EQ(child.exitCode, 0) << "--to " << to << ": " << child.said;
        EXPECT_EQ(fs::file_size(scratch / "out.raw"), 141 * kFrameBytes) << "--to " << to;
        endChild(child);
    }
}

// With standard output closed, "-" is refused, and no other output takes its place.
TEST(RenderProcess, ClosedStandardOutputIsRefused) {
    Scratch scratch;
    Child child = render({"--silent", "--frames", "2", "--raw", "-", "--y4m", scratch / "c.y4m"},
                         ChildOutput::kClosed);
    ASSERT_TRUE(waitForExit(child, kBound)) << "waiting for the run to end";
    EXPECT_EQ(child.exitCode, 2) << child.said;
    EXPECT_NE(child.said.find("standard output: it is closed"), std::string::npos)
        << "said: " << child.said;
    EXPECT_EQ(scratch.names(), std::vector<std::string>{}) << "an output was written";
    endChild(child);
}

// A reader that goes away ends the run as SIGPIPE does, and the file outputs go with it.
TEST(RenderProcess, ABrokenPipeRemovesTheOtherOutputs) {
    Scratch scratch;
    Child child = render(
        {"--silent", "--y4m", scratch / "a.y4m", "--dump-spectrum", scratch / "a.sp", "--raw", "-"},
        ChildOutput::kPipe);
    ASSERT_TRUE(readExactly(child.output, 1000)) << "the first 1000 bytes of standard output";
    close(child.output);
    child.output = -1;
    ASSERT_TRUE(waitForExit(child, kBound)) << "still running after its reader went away";
    EXPECT_EQ(child.exitCode, 128 + SIGPIPE) << child.said;
    EXPECT_NE(child.said.find("stopped by SIGPIPE"), std::string::npos) << child.said;
    EXPECT_EQ(scratch.names(), std::vector<std::string>{}) << "left behind";
    endChild(child);
}

// Each signal, sent while the run waits on a FIFO that is not read on, ends it with 128 + N and
// removes every unfinished output.
TEST(RenderProcess, SignalsEndABlockedRunAndRemoveItsOutputs) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        Scratch scratch;
        ASSERT_EQ(mkfifo((scratch / "raw.fifo").c_str(), 0600), 0);
        const int reader = openFifoReader(scratch / "raw.fifo");
        ASSERT_GE(reader, 0);
        Child child = render({"--silent", "--raw", scratch / "raw.fifo", "--y4m", scratch / "a.y4m",
                              "--dump-spectrum", scratch / "a.sp"});
        ASSERT_TRUE(waitUntil([&] { return pipeFull(reader); }, kBound))
            << nameOf(signal) << ": waiting for the renderer to fill the FIFO";
        kill(child.pid, signal);
        ASSERT_TRUE(waitForExit(child, kBound))
            << nameOf(signal) << ": still running, blocked on the FIFO";
        EXPECT_EQ(child.exitCode, 128 + signal) << nameOf(signal) << ": " << child.said;
        EXPECT_NE(child.said.find("stopped by " + nameOf(signal)), std::string::npos) << child.said;
        EXPECT_EQ(scratch.names(), std::vector<std::string>{"raw.fifo"}) << nameOf(signal);
        close(reader);
        endChild(child);
    }
}

// Ctrl-C ends a wait for a FIFO's reader, and a FIFO given as the music is refused at once.
TEST(RenderProcess, FifosNeverHoldARunAgainstCtrlC) {
    Scratch scratch;
    ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0600), 0);
    Child waiting = render({"--silent", "--raw", scratch / "fifo"});
    ASSERT_TRUE(waitForSaid(waiting, "waiting for a reader of", kBound))
        << "said: " << waiting.said;
    kill(waiting.pid, SIGINT);
    ASSERT_TRUE(waitForExit(waiting, kBound)) << "still waiting for a reader after Ctrl-C";
    EXPECT_EQ(waiting.exitCode, 128 + SIGINT) << waiting.said;
    endChild(waiting);

    Child music = render({"--music", scratch / "fifo", "--raw", scratch / "out.raw"});
    ASSERT_TRUE(waitForExit(music, kBound)) << "still waiting for the music FIFO's writer";
    EXPECT_EQ(music.exitCode, 2) << music.said;
    EXPECT_NE(music.said.find("not a regular file"), std::string::npos) << music.said;
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"fifo"});
    endChild(music);
}

// SIGTERM ends a run whose standard output nobody reads: `... --raw - | sleep 12`.
TEST(RenderProcess, ATermEndsAWriteToAStalledPipe) {
    Scratch scratch;
    Child child =
        render({"--silent", "--raw", "-", "--y4m", scratch / "f.y4m"}, ChildOutput::kPipe);
    ASSERT_TRUE(waitUntil([&] { return pipeFull(child.output); }, kBound))
        << "waiting for the renderer to fill its standard output";
    kill(child.pid, SIGTERM);
    ASSERT_TRUE(waitForExit(child, kBound)) << "still blocked on the pipe after SIGTERM";
    EXPECT_EQ(child.exitCode, 128 + SIGTERM) << child.said;
    EXPECT_EQ(scratch.names(), std::vector<std::string>{}) << "left behind";
    endChild(child);
}

// An interrupted --png run keeps the PNGs it finished, and says how many.
TEST(RenderProcess, InterruptedPngRunSaysWhatItKept) {
    Scratch scratch;
    ASSERT_EQ(mkfifo((scratch / "raw.fifo").c_str(), 0600), 0);
    const int reader = openFifoReader(scratch / "raw.fifo");
    ASSERT_GE(reader, 0);
    Child child = render({"--silent", "--raw", scratch / "raw.fifo", "--png", scratch / "png"});
    ASSERT_TRUE(waitUntil([&] { return pending(reader) > 0; }, kBound)) << "waiting for frames";
    ASSERT_TRUE(readExactly(reader, 3 * kFrameBytes)) << "the first three raw frames";
    ASSERT_TRUE(waitUntil([&] { return fs::exists(scratch / "png/frame_000002.png"); }, kBound))
        << "waiting for the third PNG";
    ASSERT_TRUE(waitUntil([&] { return pipeFull(reader); }, kBound)) << "waiting on the FIFO";
    kill(child.pid, SIGINT);
    ASSERT_TRUE(waitForExit(child, kBound)) << "still running after Ctrl-C";
    EXPECT_EQ(child.exitCode, 128 + SIGINT) << child.said;
    EXPECT_NE(child.said.find("kept 3 finished PNGs in " + scratch / "png"), std::string::npos)
        << "said: " << child.said;
    std::vector<std::string> pngs;
    for (const auto &entry : fs::directory_iterator(scratch / "png"))
        pngs.push_back(entry.path().filename().string());
    std::sort(pngs.begin(), pngs.end());
    EXPECT_EQ(pngs, (std::vector<std::string>{"frame_000000.png", "frame_000001.png",
                                              "frame_000002.png"}));
    close(reader);
    endChild(child);
}

// The bar counts frames written, not frames tried: a first frame that fails leaves it at 0.
TEST(RenderProcess, TheProgressBarCountsOnlyWrittenFrames) {
    Child child =
        render({"--silent", "--frames", "3", "--raw", "/dev/full"}, ChildOutput::kNull, true);
    ASSERT_TRUE(waitForExit(child, kBound)) << "waiting for the run to end";
    EXPECT_EQ(child.exitCode, 2);
    EXPECT_NE(child.said.find("0/3 frames"), std::string::npos) << "said: " << child.said;
    EXPECT_EQ(child.said.find("1/3 frames"), std::string::npos) << "said: " << child.said;
    EXPECT_NE(child.said.find("No space left on device"), std::string::npos) << child.said;
    endChild(child);
}
