// A program run as a child process (see child_process.h).
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Reads what standard error has now, without waiting.
void readSaid(Child &child) {
    char buffer[4096];
    pollfd ready = {child.errors, POLLIN, 0};
    ssize_t n = 0;
    while (child.errors >= 0 && poll(&ready, 1, 0) > 0 &&
           (n = read(child.errors, buffer, sizeof buffer)) > 0)
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

// fork and exec; between them only calls that are safe after fork in a threaded process.
Child::Child(const std::string &program, const std::vector<std::string> &args,
             ChildOutput outputKind, bool errorsOnTerminal) {
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    int outputPipe[2] = {-1, -1}, errorPipe[2] = {-1, -1};
    if (outputKind == ChildOutput::kPipe && pipe2(outputPipe, O_CLOEXEC) != 0) return;
    if (errorsOnTerminal) {
        errorPipe[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (errorPipe[0] < 0 || grantpt(errorPipe[0]) != 0 || unlockpt(errorPipe[0]) != 0) return;
        errorPipe[1] = open(ptsname(errorPipe[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
    } else if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        return;
    }
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid = fork();
    if (pid == 0) {
        dup2(null, STDIN_FILENO);
        if (outputKind == ChildOutput::kClosed)
            close(STDOUT_FILENO);
        else
            dup2(outputKind == ChildOutput::kPipe ? outputPipe[1] : null, STDOUT_FILENO);
        dup2(errorPipe[1], STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(null);
    close(errorPipe[1]);
    close(outputPipe[1]);
    errors = errorPipe[0];
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
bool waitForExit(Child &child, double seconds) {
    const bool ended = waitUntil([&] { return readSaid(child), reaped(child); }, seconds);
    readSaid(child);
    return ended;
}

// Looks at what was said so far.
bool waitForSaid(Child &child, const std::string &text, double seconds) {
    return waitUntil([&] { return readSaid(child), child.said.find(text) != std::string::npos; },
                     seconds);
}

// What FIONREAD says.
int pending(int fd) {
    int bytes = 0;
    return ioctl(fd, FIONREAD, &bytes) == 0 ? bytes : -1;
}

// Pending bytes against the pipe's size.
bool pipeFull(int fd) {
    return pending(fd) >= fcntl(fd, F_GETPIPE_SZ);
}
