// What glaxen-render's tests share (see child_process.h).
#include "child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Reads what standard error has now; the terminal never blocks.
void readSaid(Child &child) {
    char buffer[4096];
    for (ssize_t n; (n = read(child.errors, buffer, sizeof buffer)) > 0;)
        child.said.append(buffer, size_t(n));
}

// True once the child has ended; its code is kept.
bool reaped(Child &child, int flags = WNOHANG) {
    int status = 0;
    if (child.exitCode < 0 && child.pid > 0 && waitpid(child.pid, &status, flags) == child.pid)
        child.exitCode = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    return child.exitCode >= 0;
}

}  // namespace

// In the temporary folder, by process and test, so parallel runs never meet.
Scratch::Scratch() {
    const testing::TestInfo &test = *testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("glaxen-" + std::to_string(getpid()) + "-" + test.test_suite_name() + "-" + test.name());
    fs::remove_all(dir), fs::create_directories(dir);
}

// Split at white space.
Names wordsOf(const std::string &line, const Scratch &scratch) {
    std::istringstream words(line);
    Names all;
    for (std::string word; words >> word;)
        all.push_back(word[0] == '@' ? scratch / word.substr(1) : word);
    return all;
}

// Read whole, in binary.
std::vector<char> bytesOf(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One level only.
Names namesIn(const fs::path &dir) {
    Names all;
    for (const auto &entry : fs::directory_iterator(dir)) all.push_back(entry.path().filename());
    std::sort(all.begin(), all.end());
    return all;
}

// Links are not followed; a FIFO or folder is there with no bytes.
std::map<std::string, std::vector<char>> snapshot(const fs::path &dir) {
    std::map<std::string, std::vector<char>> all;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
        const std::string link = entry.is_symlink() ? fs::read_symlink(entry).string() : "";
        all[entry.path().lexically_relative(dir)] =
            link.empty() && entry.is_regular_file() ? bytesOf(entry.path())
                                                    : std::vector<char>(link.begin(), link.end());
    }
    return all;
}

// fork and exec; between them only calls that are safe after fork in a threaded process.
Child::Child(const std::string &program, const std::vector<std::string> &args, bool outputClosed) {
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int outputPipe[2] = {-1, -1};
    if (!outputClosed && pipe2(outputPipe, O_CLOEXEC) != 0) return;
    errors = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (errors < 0 || grantpt(errors) != 0 || unlockpt(errors) != 0) return;
    const int terminal = open(ptsname(errors), O_RDWR | O_NOCTTY | O_CLOEXEC);
    pid = fork();
    if (pid == 0) {
        if (outputClosed)
            close(STDOUT_FILENO);
        else
            dup2(outputPipe[1], STDOUT_FILENO);
        dup2(terminal, STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(terminal);
    close(outputPipe[1]);
    output = outputPipe[0];
}

// Nothing is left running or open.
Child::~Child() {
    if (pid > 0 && !reaped(*this)) {
        kill(pid, SIGKILL);
        reaped(*this, 0);
    }
    for (int fd : {output, errors})
        if (fd >= 0) close(fd);
}

// A step of 10 ms at a time until the bound.
bool waitUntil(const std::function<bool()> &condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Standard error is drained while waiting, so the child never blocks on it.
int waitForExit(Child &child, double seconds) {
    waitUntil([&] { return readSaid(child), reaped(child); }, seconds);
    readSaid(child);
    return child.exitCode;
}

// Looks at what was said so far.
bool waitForSaid(Child &child, const std::string &text, double seconds) {
    return waitUntil([&] { return readSaid(child), child.said.find(text) != std::string::npos; },
                     seconds);
}

// The bytes FIONREAD says are waiting, against the pipe's size.
bool pipeFull(int fd) {
    int bytes = 0;
    return ioctl(fd, FIONREAD, &bytes) == 0 && bytes >= fcntl(fd, F_GETPIPE_SZ);
}

// Made first, then opened.
int fifoReader(const std::string &path) {
    return mkfifo(path.c_str(), 0600) == 0 ? open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                                           : -1;
}
