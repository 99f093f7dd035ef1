// What glaxen-render's tests share: a scratch folder, the files under it, and a program run as a
// child process (standard output closed or piped, standard error on a terminal, signals, exit
// codes), whose every wait is bounded. Needs: POSIX.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using Names = std::vector<std::string>;

// A scratch folder named after the running test, removed afterwards.
struct Scratch {
    Scratch();
    ~Scratch() { std::filesystem::remove_all(dir); }
    std::string operator/(const std::string &name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

// The words of line, "@name" standing for that name in the scratch folder.
Names wordsOf(const std::string &line, const Scratch &scratch);
// A file's bytes.
std::vector<char> bytesOf(const std::string &path);
// The names in a folder, sorted.
Names namesIn(const std::filesystem::path &dir);
// Every file and link under dir by its path there, with its bytes or its link's target.
std::map<std::string, std::vector<char>> snapshot(const std::filesystem::path &dir);

// Starts program with args, standard output a pipe or closed, standard error a terminal's; one
// still running when this goes is killed, so a failed test leaves no process behind.
struct Child {
    Child(const std::string &program, const std::vector<std::string> &args, bool outputClosed);
    Child(const Child &) = delete;
    ~Child();
    pid_t pid = -1;
    int output = -1;    // the read end of its standard output, unless closed
    int errors = -1;    // the terminal's master end, where its standard error is read
    std::string said;   // its standard error read so far
    int exitCode = -1;  // once it has ended: its code, or 128 + N when signal N ended it
};

// Waits up to seconds for condition; false when it never held.
bool waitUntil(const std::function<bool()> &condition, double seconds);
// Waits up to seconds for the child to end, reading its standard error meanwhile; its exitCode
// (-1 while it still runs).
int waitForExit(Child &child, double seconds);
// Reads standard error until it holds text; false after seconds without it.
bool waitForSaid(Child &child, const std::string &text, double seconds);
// True when a pipe or FIFO holds as many bytes as it can, so its writer blocks.
bool pipeFull(int fd);
// The read end of a new FIFO, opened without blocking, so neither it nor a read waits for a writer.
int fifoReader(const std::string &path);
