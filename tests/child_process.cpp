// A program run as a child process (see child_process.h).
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kStepMs = 10;  // how often a wait looks

// Reads what standard error has now, without waiting.
void readSaid(Child &child) {
    char buffer[4096];
    for (;;) {
        pollfd ready = {child.errors, POLLIN, 0};
        if (child.errors < 0 || poll(&ready, 1, 0) <= 0) return;
        const ssize_t n = read(child.errors, buffer, sizeof buffer);
        if (n <= 0) return;
        child.said.append(buffer, size_t(n));
    }
}

// True once the child has ended; its code is kept.
bool reaped(Child &child) {
    if (child.exitCode >= 0) return true;
    int status = 0;
    if (child.pid < 0 || waitpid(child.pid, &status, WNOHANG) != child.pid) return false;
    child.exitCode = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    return true;
}

}  // namespace

// The pid and descriptors move; the moved-from child owns nothing.
Child::Child(Child &&other) noexcept
    : pid(other.pid), output(other.output), errors(other.errors), said(std::move(other.said)),
      exitCode(other.exitCode) {
    other.pid = other.output = other.errors = -1;
}

// A test that stops early leaves nothing running.
Child::~Child() {
    endChild(*this);
}

// fork and exec; between them only calls that are safe after fork in a threaded process.
Child startChild(const std::string &program, const std::vector<std::string> &args,
                 ChildOutput output, bool errorsOnTerminal) {
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int outputPipe[2] = {-1, -1}, errorPipe[2] = {-1, -1};
    if (output == ChildOutput::kPipe && pipe2(outputPipe, O_CLOEXEC) != 0) return {};
    if (errorsOnTerminal) {
        errorPipe[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (errorPipe[0] < 0 || grantpt(errorPipe[0]) != 0 || unlockpt(errorPipe[0]) != 0)
            return {};
        errorPipe[1] = open(ptsname(errorPipe[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
    } else if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        return {};
    }
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    Child child;  // returned by moving
    child.pid = fork();
    if (child.pid == 0) {
        dup2(null, STDIN_FILENO);
        if (output == ChildOutput::kPipe) dup2(outputPipe[1], STDOUT_FILENO);
        if (output == ChildOutput::kNull) dup2(null, STDOUT_FILENO);
        if (output == ChildOutput::kClosed) close(STDOUT_FILENO);
        dup2(errorPipe[1], STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(null);
    close(errorPipe[1]);
    child.errors = errorPipe[0];
    if (output == ChildOutput::kPipe) {
        close(outputPipe[1]);
        child.output = outputPipe[0];
    }
    return child;
}

// Standard error is drained while waiting, so the child never blocks on it.
bool waitForExit(Child &child, double seconds) {
    const bool ended = waitUntil(
        [&] {
            readSaid(child);
            return reaped(child);
        },
        seconds);
    readSaid(child);
    if (!ended) endChild(child);
    return ended;
}

// Looks at what was said, and at whether the child has ended saying nothing more.
bool waitForSaid(Child &child, const std::string &text, double seconds) {
    return waitUntil(
        [&] {
            readSaid(child);
            return child.said.find(text) != std::string::npos;
        },
        seconds);
}

// A step at a time until the bound.
bool waitUntil(const std::function<bool()> &condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
    return true;
}

// Nothing is left running or open.
void endChild(Child &child) {
    if (child.pid > 0 && !reaped(child)) {
        kill(child.pid, SIGKILL);
        int status = 0;
        waitpid(child.pid, &status, 0);
        child.exitCode = 128 + SIGKILL;
    }
    for (int *fd : {&child.output, &child.errors})
        if (*fd >= 0) close(*fd);
    child.output = child.errors = -1;
}
