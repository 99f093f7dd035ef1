// glaxen-render's output files (see output_file.h).
#include "render/output_file.h"

#include "render/interrupts.h"

#include <fcntl.h>
#include <poll.h>
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

// UTF-8 continuation bytes (10xxxxxx) are never where a cut starts.
std::string temporaryName(const std::string &target, size_t nameLimit, int attempt) {
    std::string suffix = ".part-";
    suffix.append(std::to_string(getpid()));
    if (attempt > 0) suffix.append("-").append(std::to_string(attempt));
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

// Open, write, close, rename; anything that fails removes the temporary file. The names are
// built in the caller's buffer, so a run that keeps one allocates nothing here.
bool writeWholeFile(const std::string &path, std::string &temporary, const void *bytes, size_t size,
                    std::string &error) {
    char pid[24];
    std::snprintf(pid, sizeof pid, ".part-%ld", static_cast<long>(getpid()));
    temporary.assign(path).append(pid);
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    int why = fd < 0 ? errno : writeAll(fd, bytes, size);
    if (fd >= 0 && close(fd) != 0 && why == 0) why = errno;
    if (why == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) why = errno;
    if (why == 0) return true;
    if (fd >= 0) unlink(temporary.c_str());
    if (why > 0) error = "cannot write " + path + ": " + std::strerror(why);
    return false;
}
