// A program run as a child process, for the tests that need a process of its own: standard
// output closed or piped, standard error piped or on a terminal, signals, exit codes. Every wait
// is bounded, and a wait that runs out kills the child. Needs: POSIX.
#pragma once

#include <sys/types.h>

#include <functional>

#include <string>
#include <vector>

enum class ChildOutput { kNull, kClosed, kPipe };  // what standard output is

// Owns the child: one that is still running when it goes is killed, so a failed test leaves no
// process behind.
struct Child {
    Child() = default;
    Child(Child &&other) noexcept;
    Child &operator=(Child &&) = delete;
    ~Child();
    pid_t pid = -1;
    int output = -1;    // the read end of its standard output, when piped
    int errors = -1;    // the read end of its standard error (a pipe, or a terminal's master)
    std::string said;   // its standard error read so far
    int exitCode = -1;  // once it has ended: its code, or 128 + N when signal N ended it
};

// Starts program with args in folder (empty: this one). Standard input is /dev/null.
Child startChild(const std::string &program, const std::vector<std::string> &args,
                 ChildOutput output, bool errorsOnTerminal = false);
// Waits up to seconds for the child to end, reading its standard error meanwhile; false (and
// the child killed) when it has not ended by then.
bool waitForExit(Child &child, double seconds);
// Reads standard error until it holds text; false after seconds without it.
bool waitForSaid(Child &child, const std::string &text, double seconds);
// Waits up to seconds for condition; false when it never held.
bool waitUntil(const std::function<bool()> &condition, double seconds);
// Closes the pipes; kills and reaps the child if it still runs.
void endChild(Child &child);
