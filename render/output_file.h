// glaxen-render's output files and its --png folder. A regular file (or a new one) is written
// under a temporary name beside it, one that fits the file system's name limit, and renamed onto
// it only when complete; a symbolic link is followed, so the file it points to gets the data.
// "-" is standard output; any other file that is not regular (a FIFO, /dev/null) is written as
// it is, a FIFO once a reader has it open. No output may be one of the run's inputs. A signal
// ends any wait (render/interrupts.h): FIFOs, and pipes on standard output, are written without
// blocking and waited for in short steps. Needs: POSIX, and Linux's renameat2 where the file
// system has it.
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

// The --png folder. The frames go into a folder of their own beside DIR, DIR's name followed by
// ".part", held open and locked for the run so that a second run into DIR is refused; it takes
// DIR's name once the run is complete. DIR may be missing or hold only this program's frames,
// which are then replaced whole; a DIR holding anything else is refused. A DIR that is a
// symbolic link is followed: the folder it leads to is replaced and the link stays. A link
// inside DIR is never followed: it is not a frame, so DIR is refused.
struct FrameFolder {
    std::string path;    // DIR as asked
    std::string target;  // DIR with its links followed: the folder replaced
    std::string part;    // where the frames are written meanwhile
    int fd = -1;         // part, open and locked while this run owns it
};

// Checks DIR and takes its part folder, emptied of a killed run's frames; false with error set
// when DIR cannot be written or holds something else, or another run is writing there.
bool openFrameFolder(FrameFolder &folder, const std::string &path, std::string &error);
// Writes a new file of size bytes named name in the part folder. False with error set when it
// fails, with error empty when a signal ended it.
bool writeFrameFile(const FrameFolder &folder, const char *name, const void *bytes, size_t size,
                    std::string &error);
// Gives the part folder DIR's name and removes DIR's earlier frames; false with error set when
// the renaming fails.
bool publishFrameFolder(FrameFolder &folder, std::string &error);
// Removes the part folder with its frames and says what is left: DIR as it was, and the part
// folder too when something else was put in it.
std::string abandonFrameFolder(FrameFolder &folder);
