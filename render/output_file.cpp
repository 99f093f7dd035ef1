// glaxen-render's output files (see output_file.h).
#include "render/output_file.h"

#include "render/interrupts.h"
#include "render/png_encoder.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kPollMs = 20;              // a wait's step: signals are looked at this often
constexpr int kMaxLinks = 40;            // symbolic links followed at most, as the kernel does
constexpr int kTemporaryAttempts = 100;  // names tried when one is taken
constexpr size_t kDefaultNameLimit = 255;
constexpr const char *kPartSuffix = ".part";  // the --png folder's name while it is written

// "cannot write NAME: REASON" from an errno value.
std::string failure(const OutputFile &output, int error) {
    const std::string name = output.standardOutput ? "standard output" : output.path;
    return "cannot write " + name + ": " + std::strerror(error);
}

// The folder part of a path ("." when there is none) and its last part.
std::string folderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
std::string nameOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// target's name followed by suffix, in target's folder, the name cut short at a character's
// start (UTF-8 continuation bytes, 10xxxxxx, never start a cut) to fit nameLimit bytes.
std::string nameBeside(const std::string &target, const std::string &suffix, size_t nameLimit) {
    std::string name = nameOf(target);
    if (name.size() + suffix.size() > nameLimit) {
        size_t cut = nameLimit > suffix.size() ? nameLimit - suffix.size() : 0;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    const size_t slash = target.find_last_of('/');
    std::string path = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    return path.append(name).append(suffix);
}

// path with the links of its last part followed as far as they lead: a dangling link gives the
// name it points to, which is then created.
std::string followLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        char to[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), to, sizeof to - 1);
        if (n <= 0) break;
        std::string next = to[0] == '/' ? std::string() : folderOf(path).append("/");
        path = next.append(to, size_t(n));
    }
    return path;
}

// The longest name the folder takes.
size_t nameLimitOf(const std::string &folder) {
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? size_t(limit) : kDefaultNameLimit;
}

// Makes a pipe or socket on standard output non-blocking, keeping its flags to put back: the
// write end may be shared with whoever started the run.
void writeWithoutBlocking(OutputFile &output, const struct stat &info) {
    if (!S_ISFIFO(info.st_mode) && !S_ISSOCK(info.st_mode)) return;
    const int flags = fcntl(output.fd, F_GETFL);
    if (flags < 0 || (flags & O_NONBLOCK) != 0) return;
    if (fcntl(output.fd, F_SETFL, flags | O_NONBLOCK) == 0) output.restoreFlags = flags;
}

// Standard output's flags as they were.
void putBackFlags(OutputFile &output) {
    if (output.restoreFlags >= 0) fcntl(output.fd, F_SETFL, output.restoreFlags);
    output.restoreFlags = -1;
}

// A FIFO opened for writing without blocking fails with ENXIO until a reader has it open; the
// open is tried again every step, and the wait is said once. It stays non-blocking.
bool openFifo(OutputFile &output, std::string &error) {
    for (bool told = false;;) {
        output.fd = open(output.target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (output.fd >= 0) return true;
        if (errno != ENXIO && errno != EINTR) {
            error = failure(output, errno);
            return false;
        }
        if (interruptSignal() != 0) return false;
        if (!told)
            std::fprintf(stderr, "glaxen-render: waiting for a reader of %s\n",
                         output.path.c_str());
        told = true;
        poll(nullptr, 0, kPollMs);
    }
}

// A new file beside target, under the first free temporary name.
bool createTemporary(OutputFile &output, std::string &error) {
    const std::string folder = folderOf(output.target);
    const size_t limit = nameLimitOf(folder);
    if (nameOf(output.target).size() > limit) {
        error = failure(output, ENAMETOOLONG);
        return false;
    }
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        output.temporary = temporaryName(output.target, limit, attempt);
        output.fd = open(output.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (output.fd >= 0) return true;
        if (errno != EEXIST) break;
    }
    const int why = errno;
    output.temporary.clear();
    error = failure(output, why);
    return false;
}

// The input that file is, or nullptr.
const InputFile *inputThatIs(const FileId &file, const std::vector<InputFile> &inputs) {
    for (const InputFile &input : inputs)
        if (input.id.device == file.device && input.id.inode == file.inode) return &input;
    return nullptr;
}

// The identity from a stat result.
FileId idOf(const struct stat &info) {
    return {info.st_dev, info.st_ino};
}

// Writes everything: 0, or the errno of a failure, or -1 when a signal (or a reader that went
// away, EPIPE, as SIGPIPE says) ended it. A full pipe or FIFO (EAGAIN) is waited for in steps,
// so a signal that comes just before a wait still ends it within a step; a blocking write that
// waits is ended by a signal (EINTR).
int writeAll(int fd, const void *bytes, size_t size) {
    const char *next = static_cast<const char *>(bytes);
    while (size > 0) {
        if (interruptSignal() != 0) return -1;
        const ssize_t n = write(fd, next, size);
        if (n > 0) {
            next += n;
            size -= size_t(n);
        } else if (n < 0 && errno == EPIPE) {
            recordInterrupt(SIGPIPE);
            return -1;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait = {fd, POLLOUT, 0};
            poll(&wait, 1, kPollMs);
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? EIO : errno;
        }
    }
    return 0;
}

// ---------------------------------------------------------------- the --png folder

// "cannot write frames to DIR: " and why.
std::string folderFailure(const FrameFolder &f, const std::string &why) {
    return "cannot write frames to " + f.path + ": " + why;
}

// path without the slashes at its end, "/" staying "/".
std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// A name this program gives its frames: "frame_", six digits or more, ".png".
bool isFrameName(const char *name) {
    const size_t n = std::strlen(name);
    if (n < 16 || std::strncmp(name, "frame_", 6) != 0 || std::strcmp(name + n - 4, ".png") != 0)
        return false;
    for (size_t i = 6; i < n - 4; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

// True when the file starts as every PNG of this program does, or is a start of that (a frame
// cut short by a run that was killed).
bool startsAsFrame(int folder, const char *name) {
    uint8_t head[kPngHeadBytes], got[kPngHeadBytes];
    writePngHead(head);
    const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t n = read(fd, got, sizeof got);
    close(fd);
    return n >= 0 && std::memcmp(head, got, size_t(n)) == 0;
}

// What the entry name in folder is, for messages; nullptr for one of this program's frames, or
// one that is gone.
const char *kindOf(int folder, const char *name) {
    struct stat info = {};
    if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? nullptr : "an entry that cannot be read";
    if (S_ISLNK(info.st_mode)) return "a symbolic link";
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (!S_ISREG(info.st_mode)) return "a special file";
    if (!isFrameName(name)) return "a file";
    return startsAsFrame(folder, name) ? nullptr : "a file glaxen-render did not write";
}

// Goes through the folder open as fd, removing this program's frames when remove is set, and
// says what else is there: the first other entry by name, its kind and how many more; "" when
// there is nothing else.
std::string scanFrames(int fd, bool remove) {
    const int own = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // an offset of its own
    DIR *dir = own >= 0 ? fdopendir(own) : nullptr;
    if (dir == nullptr) {
        const std::string why = std::strerror(errno);
        if (own >= 0) close(own);
        return "entries that cannot be listed (" + why + ")";
    }
    std::string first, firstKind;
    size_t others = 0;
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        const char *kind = kindOf(own, name);
        if (kind == nullptr && (!remove || unlinkat(own, name, 0) == 0 || errno == ENOENT))
            continue;
        if (kind == nullptr) kind = "a frame that cannot be removed";
        if (others++ == 0 || name < first) first = name, firstKind = kind;
    }
    closedir(dir);
    if (others == 0) return "";
    const std::string named = first + " (" + firstKind + ")";
    if (others == 1) return named + ", which is not a frame of glaxen-render";
    return named + " and " + std::to_string(others - 1) +
           " more that are not frames of glaxen-render";
}

// True when fd is the entry at path itself, not followed if a link.
bool stillAt(int fd, const std::string &path) {
    struct stat opened = {}, named = {};
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// The part folder made, or one that is there taken over when no run holds its lock (its run was
// killed), open and locked. The lock taken, the folder must still have the part name: the run
// that held it may have given it DIR's name meanwhile.
bool lockPart(FrameFolder &f, std::string &error) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        if (mkdir(f.part.c_str(), 0777) != 0 && errno != EEXIST) break;
        f.fd = open(f.part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (f.fd < 0 && errno == ENOENT) continue;
        if (f.fd < 0) break;
        if (flock(f.fd, LOCK_EX | LOCK_NB) != 0) {
            const int why = errno;
            close(f.fd);
            f.fd = -1;
            error = folderFailure(f, why == EWOULDBLOCK
                                         ? "another run is writing there (into " + f.part + ")"
                                         : std::string(std::strerror(why)));
            return false;
        }
        if (stillAt(f.fd, f.part)) return true;
        close(f.fd);
        f.fd = -1;
    }
    error = folderFailure(f, f.part + ": " + std::strerror(errno));
    return false;
}

// DIR missing, or a folder holding only this program's frames.
bool targetHoldsOnlyFrames(const FrameFolder &f, std::string &error) {
    const int fd = open(f.target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return true;
    if (fd < 0) {
        error = folderFailure(f, errno == ENOTDIR ? "it is not a folder" : std::strerror(errno));
        return false;
    }
    const std::string other = scanFrames(fd, false);
    close(fd);
    if (!other.empty()) error = folderFailure(f, "it holds " + other);
    return other.empty();
}

// The part folder given DIR's name: swapped with DIR when there is one (errno set on failure);
// where the file system cannot swap, DIR is moved aside first and put back if the rename fails.
// aside is where DIR's old folder is afterwards.
bool swapIn(const FrameFolder &f, bool targetThere, std::string &aside) {
    if (!targetThere) return std::rename(f.part.c_str(), f.target.c_str()) == 0;
    aside = f.part;
    if (renameat2(AT_FDCWD, f.part.c_str(), AT_FDCWD, f.target.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    aside = temporaryName(f.target, nameLimitOf(folderOf(f.target)), 0);
    if (std::rename(f.target.c_str(), aside.c_str()) != 0) return false;
    if (std::rename(f.part.c_str(), f.target.c_str()) == 0) return true;
    const int why = errno;
    std::rename(aside.c_str(), f.target.c_str());
    errno = why;
    return false;
}

}  // namespace

// stat follows links.
bool fileIdOf(const std::string &path, FileId &id) {
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) return false;
    id = idOf(info);
    return true;
}

// open returns the lowest free number, so each closed one is filled in order.
bool reserveStandardStreams() {
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        outputClosed = outputClosed || fd == STDOUT_FILENO;
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
    return outputClosed;
}

// The suffix names this process, and the attempt after the first.
std::string temporaryName(const std::string &target, size_t nameLimit, int attempt) {
    std::string suffix = ".part-";
    suffix.append(std::to_string(getpid()));
    if (attempt > 0) suffix.append("-").append(std::to_string(attempt));
    return nameBeside(target, suffix, nameLimit);
}

// Standard output as it is; a FIFO or device in place; a regular or new file beside its name.
bool openOutput(OutputFile &output, const std::string &path, const std::vector<InputFile> &inputs,
                std::string &error) {
    output = OutputFile{};
    output.path = path;
    output.standardOutput = path == "-";
    struct stat info = {};
    if (output.standardOutput) {
        output.fd = STDOUT_FILENO;
        if (fstat(output.fd, &info) != 0) return true;
        if (const InputFile *input = inputThatIs(idOf(info), inputs)) {
            error = "cannot write standard output: it is " + input->what + ", which this run reads";
            return false;
        }
        writeWithoutBlocking(output, info);
        return true;
    }
    output.target = followLinks(path);
    if (stat(output.target.c_str(), &info) == 0) {
        if (const InputFile *input = inputThatIs(idOf(info), inputs)) {
            error = "cannot write " + path + ": it is " + input->what + ", which this run reads";
            return false;
        }
        if (S_ISFIFO(info.st_mode)) return openFifo(output, error);
        if (!S_ISREG(info.st_mode)) {
            output.fd = open(output.target.c_str(), O_WRONLY | O_CLOEXEC);
            if (output.fd < 0) error = failure(output, errno);
            return output.fd >= 0;
        }
    }
    return createTemporary(output, error);
}

// Appends through writeAll.
bool writeOutput(OutputFile &output, const void *bytes, size_t size, std::string &error) {
    const int why = writeAll(output.fd, bytes, size);
    if (why > 0) error = failure(output, why);
    return why == 0;
}

// Standard output stays open, with its flags as they were; a file's close can still report a
// lost write.
bool closeOutput(OutputFile &output, std::string &error) {
    putBackFlags(output);
    const int fd = output.fd;
    output.fd = -1;
    if (output.standardOutput || fd < 0 || close(fd) == 0) return true;
    error = failure(output, errno);
    return false;
}

// Only a file written beside its name is renamed.
bool publishOutput(OutputFile &output, std::string &error) {
    if (output.temporary.empty()) return true;
    if (std::rename(output.temporary.c_str(), output.target.c_str()) == 0) {
        output.temporary.clear();
        return true;
    }
    error = failure(output, errno);
    return false;
}

// The temporary file goes, whatever state it is in.
void abandonOutput(OutputFile &output) {
    putBackFlags(output);
    if (output.fd >= 0 && !output.standardOutput) close(output.fd);
    output.fd = -1;
    if (!output.temporary.empty()) unlink(output.temporary.c_str());
    output.temporary.clear();
}

// Made or taken over (see lockPart), then DIR checked, then the part folder emptied; a refusal
// leaves both as they were, but for a killed run's frames.
bool openFrameFolder(FrameFolder &f, const std::string &path, std::string &error) {
    f = FrameFolder{};
    f.path = path;
    f.target = withoutTrailingSlashes(followLinks(withoutTrailingSlashes(path)));
    const std::string name = nameOf(f.target);
    if (name.empty() || name == "." || name == "..") {
        error = folderFailure(f, "name the folder itself, not . or .. or /");
        return false;
    }
    f.part = nameBeside(f.target, kPartSuffix, nameLimitOf(folderOf(f.target)));
    if (!lockPart(f, error)) return false;
    if (targetHoldsOnlyFrames(f, error)) {
        const std::string other = scanFrames(f.fd, true);
        if (other.empty()) return true;
        error = folderFailure(f, f.part + ", left by an earlier run, holds " + other);
    }
    abandonFrameFolder(f);
    return false;
}

// openat in the part folder: the frames go where this run's lock is, whatever its name.
bool writeFrameFile(const FrameFolder &f, const char *name, const void *bytes, size_t size,
                    std::string &error) {
    const int fd = openat(f.fd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    int why = fd < 0 ? errno : writeAll(fd, bytes, size);
    if (fd >= 0 && close(fd) != 0 && why == 0) why = errno;
    if (why > 0) error = "cannot write " + f.path + "/" + name + ": " + std::strerror(why);
    return why == 0;
}

// A DIR that is there is locked as well, its permissions given to the part folder, then swapped
// with it where the file system can, else moved aside first; its frames are removed under the
// lock.
bool publishFrameFolder(FrameFolder &f, std::string &error) {
    const int old = open(f.target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (old < 0 && errno != ENOENT) {
        error = folderFailure(f, std::strerror(errno));
        return false;
    }
    if (old >= 0 && (flock(old, LOCK_EX | LOCK_NB) != 0 || !stillAt(old, f.target))) {
        close(old);
        error = folderFailure(f, "another run is writing there");
        return false;
    }
    struct stat info = {};
    if (old >= 0 && fstat(old, &info) == 0) fchmod(f.fd, info.st_mode & 07777);
    std::string aside;
    if (!swapIn(f, old >= 0, aside)) {
        error = folderFailure(f, std::strerror(errno));
        if (old >= 0) close(old);
        return false;
    }
    close(f.fd);
    f.fd = -1;
    if (old < 0) return true;
    const std::string other = scanFrames(old, true);
    if (!other.empty() || rmdir(aside.c_str()) != 0) {
        const std::string why =
            other.empty() ? std::strerror(errno)
                          : "it holds " + other + ", put in " + f.path + " during the run";
        std::fprintf(stderr,
                     "glaxen-render: the earlier frames of %s were removed, but %s is kept: %s\n",
                     f.path.c_str(), aside.c_str(), why.c_str());
    }
    close(old);
    return true;
}

// Removed while still locked, so that no other run takes over a folder on its way out.
std::string abandonFrameFolder(FrameFolder &f) {
    if (f.fd < 0) return "";
    const std::string other = scanFrames(f.fd, true);
    const bool removed = other.empty() && rmdir(f.part.c_str()) == 0;
    const std::string why = other.empty() ? std::strerror(errno) : "it holds " + other;
    close(f.fd);
    f.fd = -1;
    const std::string text = f.path + " is as it was; the unfinished frames were removed";
    return removed ? text : text + ", but " + f.part + " is kept: " + why;
}
