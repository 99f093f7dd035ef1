// glaxen-render's outputs (see frame_writers.h).
#include "render/frame_writers.h"

#include "show/frame_passes.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char kFrameMark[] = "FRAME\n";

// "what: reason" from errno.
std::string failure(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

// A temporary name beside path, unique to this process.
std::string temporaryName(const std::string &path) {
    return path + ".part-" + std::to_string(getpid());
}

// The three colour bytes of a Pixel; bits 31-24 are not colour.
inline void channels(Pixel v, int &r, int &g, int &b) {
    r = (v >> 16) & 0xFF;
    g = (v >> 8) & 0xFF;
    b = v & 0xFF;
}

}  // namespace

// ---------------------------------------------------------------- files

// Standard output, and anything that is not a regular file (/dev/null, a pipe), is written
// as it is; a regular file is written beside its name first.
bool openOutput(OutputFile &output, const std::string &path, std::string &error) {
    output.path = path;
    if (path == "-") {
        output.file = stdout;
        return true;
    }
    struct stat info = {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        output.file = std::fopen(path.c_str(), "wb");
        if (output.file == nullptr) error = failure("cannot write " + path);
        return output.file != nullptr;
    }
    output.temporary = temporaryName(path);
    output.file = std::fopen(output.temporary.c_str(), "wb");
    if (output.file == nullptr) {
        error = failure("cannot write " + path);
        return false;
    }
    return true;
}

// Appends; a failed write stops the run.
bool writeOutput(OutputFile &output, const void *bytes, size_t size, std::string &error) {
    if (std::fwrite(bytes, 1, size, output.file) == size) return true;
    error = failure("cannot write " + output.path);
    return false;
}

// Standard output is only flushed; a file is flushed and closed.
bool closeOutput(OutputFile &output, std::string &error) {
    FILE *file = output.file;
    output.file = nullptr;
    const bool closed = file == stdout ? std::fflush(stdout) == 0 : std::fclose(file) == 0;
    if (closed) return true;
    error = failure("cannot write " + output.path);
    return false;
}

// A file written beside its name is renamed onto it; anything else is already in place.
bool publishOutput(OutputFile &output, std::string &error) {
    if (output.temporary.empty() || std::rename(output.temporary.c_str(), output.path.c_str()) == 0)
        return true;
    error = failure("cannot write " + output.path);
    return false;
}

// The temporary file goes, whatever state it is in.
void abandonOutput(OutputFile &output) {
    if (output.file != nullptr && output.file != stdout) std::fclose(output.file);
    output.file = nullptr;
    if (!output.temporary.empty()) std::remove(output.temporary.c_str());
}

// ---------------------------------------------------------------- YUV4MPEG2

// Frame size, rate as a fraction, progressive, square pixels, 4:4:4, limited range.
std::string y4mHeader(uint32_t fpsNum, uint32_t fpsDen) {
    return "YUV4MPEG2 W" + std::to_string(kScreenWidth) + " H" + std::to_string(kScreenHeight) +
           " F" + std::to_string(fpsNum) + ":" + std::to_string(fpsDen) +
           " Ip A1:1 C444 XCOLORRANGE=LIMITED\n";
}

// BT.601 in integers: Y 16-235, U and V 16-240.
void frameToY4m(const Pixel *frame, std::vector<uint8_t> &out) {
    const size_t mark = sizeof kFrameMark - 1;
    out.resize(mark + 3 * size_t(kScreenPixels));
    std::memcpy(out.data(), kFrameMark, mark);
    uint8_t *y = out.data() + mark, *u = y + kScreenPixels, *v = u + kScreenPixels;
    for (int i = 0; i < kScreenPixels; ++i) {
        int r, g, b;
        channels(frame[i], r, g, b);
        y[i] = static_cast<uint8_t>(16 + ((66 * r + 129 * g + 25 * b + 128) >> 8));
        u[i] = static_cast<uint8_t>(128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8));
        v[i] = static_cast<uint8_t>(128 + ((112 * r - 94 * g - 18 * b + 128) >> 8));
    }
}

// ---------------------------------------------------------------- PNG

// libpng reports errors through longjmp; everything it touches is plain data here.
bool writePngFrame(const std::string &path, const Pixel *frame, std::string &error) {
    OutputFile output;
    if (!openOutput(output, path, error)) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    uint8_t row[kScreenWidth * 3];
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        abandonOutput(output);
        error = "cannot write " + path + ": the PNG encoder failed";
        return false;
    }
    png_init_io(png, output.file);
    png_set_compression_level(png, 1);  // fast: these are frames, not archives
    png_set_IHDR(png, info, kScreenWidth, kScreenHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            int r, g, b;
            channels(frame[y * kScreenWidth + x], r, g, b);
            row[3 * x] = static_cast<uint8_t>(r);
            row[3 * x + 1] = static_cast<uint8_t>(g);
            row[3 * x + 2] = static_cast<uint8_t>(b);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::ferror(output.file)) {
        abandonOutput(output);
        error = "cannot write " + path;
        return false;
    }
    if (closeOutput(output, error) && publishOutput(output, error)) return true;
    abandonOutput(output);
    return false;
}
