// glaxen-render's output files. A regular file (or a new one) is written under a temporary
// name beside it, one that fits the file system's name limit, and renamed onto it only when
// complete; a symbolic link is followed, so the file it points to gets the data. "-" is
// standard output; any other file that is not regular (a FIFO, /dev/null) is written as it is,
// a FIFO once a reader has it open. No output may be one of the run's inputs. A signal ends any
// wait (render/interrupts.h): FIFOs, and pipes on standard output, are written without blocking
// and waited for in short steps. Needs: POSIX.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// A file's identity: the same device and inode is the same file, whatever its names.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
};

// A file the run reads, which no output may overwrite.
struct InputFile {
    std::string what;  // for messages: "the music x.ogg"
    FileId id;
};

// One output; nothing appears under its name until publishOutput.
struct OutputFile {
    std::string path;       // the name asked for, or "-"
    std::string target;     // the file that gets the data: path with its links followed
    std::string temporary;  // where it is written meanwhile; empty when written in place
    int fd = -1;
    bool standardOutput = false;
    int restoreFlags = -1;  // standard output's flags before it was made non-blocking, or -1
};

// The identity of the file at path, links followed; false when there is none.
bool fileIdOf(const std::string &path, FileId &id);

// Opens /dev/null on each of descriptors 0-2 that is closed, so that no file opened later takes
// its number; true when standard output was closed.
bool reserveStandardStreams();

// The temporary name beside target for this process, within nameLimit bytes: target's own
// name, cut short at a character's start when needed, then ".part-PID" and, for attempt > 0,
// "-attempt".
std::string temporaryName(const std::string &target, size_t nameLimit, int attempt);

// Opens path for writing. False with error set when it cannot be written or is one of the
// inputs; false with error empty when a signal ended the wait for a FIFO's reader.
bool openOutput(OutputFile &output, const std::string &path, const std::vector<InputFile> &inputs,
                std::string &error);
// Appends bytes. False with error set when the write fails; false with error empty when a
// signal (or a reader that went away) ended it.
bool writeOutput(OutputFile &output, const void *bytes, size_t size, std::string &error);
// Closes what was opened; false with error set when the data did not all reach the file.
bool closeOutput(OutputFile &output, std::string &error);
// Gives a closed file its name; false with error set when that fails.
bool publishOutput(OutputFile &output, std::string &error);
// Closes (if open) and removes an unfinished temporary file.
void abandonOutput(OutputFile &output);

// Writes a whole file of size bytes at path through a temporary name beside it, built in
// temporary (the caller's buffer; a short name such as a PNG frame's fits the name limit).
// False with error set when it fails, with error empty when a signal ended it.
bool writeWholeFile(const std::string &path, std::string &temporary, const void *bytes, size_t size,
                    std::string &error);
