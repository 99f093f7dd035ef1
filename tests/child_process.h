// A program run as a child process, for tests that need a process of its own: standard output
// closed or piped, standard error piped or on a terminal, signals, exit codes. Every wait is
// bounded. Needs: POSIX.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

enum class ChildOutput { kNull, kClosed, kPipe };  // what standard output is

// Starts program with args, standard input /dev/null; one still running when this goes is
// killed, so a failed test leaves no process behind.
struct Child {
    Child(const std::string &program, const std::vector<std::string> &args, ChildOutput output,
          bool errorsOnTerminal = false);
    Child(const Child &) = delete;
    ~Child();
    pid_t pid = -1;
    int output = -1;    // the read end of its standard output, when piped
    int errors = -1;    // the read end of its standard error (a pipe, or a terminal's master)
    std::string said;   // its standard error read so far
    int exitCode = -1;  // once it has ended: its code, or 128 + N when signal N ended it
};

// Waits up to seconds for condition; false when it never held.
bool waitUntil(const std::function<bool()> &condition, double seconds);
// Waits up to seconds for the child to end, reading its standard error meanwhile.
bool waitForExit(Child &child, double seconds);
// Reads standard error until it holds text; false after seconds without it.
bool waitForSaid(Child &child, const std::string &text, double seconds);
// Bytes waiting in a pipe or FIFO; pipeFull: as many as it holds, so its writer blocks.
int pending(int fd);
bool pipeFull(int fd);
