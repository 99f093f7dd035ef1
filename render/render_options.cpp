// glaxen-render's command line (see render_options.h).
#include "render/render_options.h"

#include "show/show_frame.h"
#include "show/show_main.h"
#include "show/virtual_clock.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <numeric>
#include <utility>

namespace {

constexpr uint64_t kPastTheEnd = uint64_t{kShowLength} + 1;  // any time after the show

// The help text around the music's default name.
const char kHelpHead[] =
    "usage: glaxen-render [OPTION]...\n"
    "Computes the show's frames on a virtual clock, with no display and no audio device, and\n"
    "writes them as pictures, video or raw frames.\n"
    "\n"
    "  --seed N              seed of the show's generator (default: the calendar time)\n"
    "  --fps F               frames per second of the virtual clock (default: 60)\n"
    "  --frames N            render the first N frames only (default: the whole show)\n"
    "  --from S              first second written; earlier frames are computed (default: 0)\n"
    "  --to S                last second written; a time past the end is the end\n"
    "                        (default: 140, the end of the show)\n"
    "  --music FILE          the music the spectrum is taken from\n"
    "                        (default: ";
const char kHelpTail[] =
    " in the working directory)\n"
    "  --silent              no music: an all-zero spectrum, as the show without its music\n"
    "  --spectrum FILE       spectra from FILE: little-endian float32, 1024 per frame\n"
    "  --dump-spectrum FILE  write the spectra used, in the same form (default: none)\n"
    "  --png DIR             one PNG per frame written, DIR/frame_NNNNNN.png (default: none)\n"
    "  --y4m FILE|-          a YUV4MPEG2 4:4:4 stream, for ffmpeg (default: none)\n"
    "  --raw FILE|-          the frame buffer as it is: 640 x 480 little-endian 32-bit\n"
    "                        values per frame (default: none)\n"
    "  --gentle              the show in gentle mode, as glaxen --gentle shows it\n"
    "  --flash-report FILE|- the flash analysis of the frames written: for each second, the\n"
    "                        worst 213 x 160 rectangle's general and red flashes and the\n"
    "                        verdict (more than 3 fails), then a summary (default: none)\n"
    "  --flash-plot FILE|-   the analysis's flashes a second as a PNG picture (default: none)\n"
    "  --help                this text\n"
    "\n"
    "At least one of --png, --y4m, --raw, --dump-spectrum, --flash-report and --flash-plot is\n"
    "needed. An output is never an input, and no FILE is inside DIR. A FILE that is a symbolic\n"
    "link is written through.\n"
    "\n"
    "--png writes the frames into DIR.part, beside DIR, which takes DIR's name once every frame\n"
    "is written. A DIR that holds frames of an earlier run is replaced whole, never mixed; one\n"
    "that holds anything else is refused, and so is a run into a DIR another run is writing.\n"
    "A DIR that is a symbolic link is followed: the folder it leads to is replaced (made, when\n"
    "missing) and the link stays. A symbolic link inside DIR is never followed: it is not a\n"
    "frame, so that DIR is refused.\n"
    "\n"
    "Exit status:\n"
    "  0    every frame asked for was written\n"
    "  2    a bad option, nothing to write, an unreadable input, or an output that cannot be\n"
    "       written (the message says why)\n"
    "  128+N  ended by signal N: 129 hang-up (SIGHUP), 130 Ctrl-C (SIGINT), 131 SIGQUIT,\n"
    "       141 the reader of an output went away (SIGPIPE), 143 SIGTERM\n"
    "A run that does not finish removes its unfinished outputs, the frames in DIR.part\n"
    "included: nothing half-written is left under a name asked for, and DIR is as it was.\n";

// A whole non-negative integer of at most max.
bool parseInteger(const std::string &text, uint64_t max, uint64_t &value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v > max) return false;
    value = v;
    return true;
}

// Seconds as digits with at most one decimal point, in whole milliseconds rounded down and up,
// in integers; any time after the show's end is kPastTheEnd.
bool parseMilliseconds(const std::string &text, uint64_t &down, uint64_t &up) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    const auto digits = [](const std::string &s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    if ((whole.empty() && fraction.empty()) || !digits(whole) || !digits(fraction)) return false;
    uint64_t seconds = 0;
    for (char c : whole) {
        seconds = seconds * 10 + uint64_t(c - '0');
        if (seconds > kPastTheEnd / 1000) {  // past the end, whatever digits follow
            down = up = kPastTheEnd;
            return true;
        }
    }
    uint64_t ms = seconds;
    for (size_t i = 0; i < 3; ++i)
        ms = ms * 10 + uint64_t(i < fraction.size() ? fraction[i] - '0' : 0);
    const bool beyond =
        fraction.size() > 3 && fraction.find_first_not_of('0', 3) != std::string::npos;
    down = std::min(ms, kPastTheEnd);
    up = std::min(ms + (beyond ? 1 : 0), kPastTheEnd);
    return true;
}

// A finite non-negative real.
bool parseReal(const std::string &text, double &value) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

// F as a reduced fraction num/den with den dividing 1000: "60" is 60/1, "29.97" 2997/100.
bool parseFps(const std::string &text, uint32_t &num, uint32_t &den) {
    double fps = 0;
    if (!parseReal(text, fps) || fps < 0.001 || fps > 100000) return false;
    const uint64_t thousandths = static_cast<uint64_t>(std::llround(fps * 1000));
    if (std::fabs(fps * 1000 - double(thousandths)) > 1e-6 * thousandths) return false;
    const uint64_t g = std::gcd(thousandths, uint64_t{1000});
    num = static_cast<uint32_t>(thousandths / g);
    den = static_cast<uint32_t>(1000 / g);
    return true;
}

// True when a and b name the same file (or both standard output): the same device and inode
// when both exist, else the same path once made absolute and resolved.
bool sameDestination(const std::string &a, const std::string &b) {
    if (a == "-" || b == "-") return a == b;
    struct stat first = {}, second = {};
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code failed;
    namespace fs = std::filesystem;
    const fs::path x = fs::weakly_canonical(fs::absolute(a, failed), failed);
    const fs::path y = fs::weakly_canonical(fs::absolute(b, failed), failed);
    return failed ? a == b : x == y;
}

// No two of the outputs may write to one place, and no file may be in the --png folder, which
// a finished run replaces.
bool distinctOutputs(const RenderOptions &o, std::string &error) {
    const std::pair<const char *, const std::string *> outputs[] = {
        {"--raw", &o.raw},
        {"--y4m", &o.y4m},
        {"--dump-spectrum", &o.dumpSpectrum},
        {"--flash-report", &o.flashReport},
        {"--flash-plot", &o.flashPlot}};
    for (size_t i = 0; i < std::size(outputs); ++i) {
        const std::string &a = *outputs[i].second;
        const std::string folder = std::filesystem::path(a).parent_path().string();
        if (!o.pngDir.empty() && !folder.empty() && sameDestination(folder, o.pngDir)) {
            error = std::string(outputs[i].first) + " writes into the --png folder " + o.pngDir;
            return false;
        }
        for (size_t j = i + 1; j < std::size(outputs); ++j) {
            const std::string &b = *outputs[j].second;
            if (a.empty() || b.empty() || !sameDestination(a, b)) continue;
            error =
                std::string(outputs[i].first) + " and " + outputs[j].first + " both write to " + a;
            return false;
        }
    }
    return true;
}

}  // namespace

// Options take their value from the next argument.
ParseResult parseRenderOptions(int argc, const char *const *argv, RenderOptions &o,
                               std::string &error) {
    bool fromGiven = false, musicGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") return ParseResult::kHelp;
        if (name == "--silent") {
            o.silent = true;
            continue;
        }
        if (name == "--gentle") {
            o.gentle = true;
            continue;
        }
        const bool takesValue = name == "--seed" || name == "--fps" || name == "--frames" ||
                                name == "--from" || name == "--to" || name == "--music" ||
                                name == "--spectrum" || name == "--dump-spectrum" ||
                                name == "--png" || name == "--y4m" || name == "--raw" ||
                                name == "--flash-report" || name == "--flash-plot";
        if (!takesValue) {
            error = "unknown option '" + name + "' (see --help)";
            return ParseResult::kError;
        }
        if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
            error = name + " needs a value";
            return ParseResult::kError;
        }
        const std::string value = argv[++i];
        uint64_t integer = 0, down = 0, up = 0;
        if (name == "--seed") {
            if (!parseInteger(value, UINT32_MAX, integer)) {
                error = "--seed takes a whole number from 0 to 4294967295, not '" + value + "'";
                return ParseResult::kError;
            }
            o.seed = static_cast<uint32_t>(integer);
        } else if (name == "--fps") {
            if (!parseFps(value, o.fpsNum, o.fpsDen)) {
                error =
                    "--fps takes a rate from 0.001 to 100000 with at most three decimals, not '" +
                    value + "'";
                return ParseResult::kError;
            }
        } else if (name == "--frames") {
            if (!parseInteger(value, UINT32_MAX, integer) || integer == 0) {
                error = "--frames takes a positive whole number, not '" + value + "'";
                return ParseResult::kError;
            }
            o.frames = integer;
        } else if (name == "--from" || name == "--to") {
            if (!parseMilliseconds(value, down, up)) {
                error = name + " takes seconds, such as 12 or 91.5, not '" + value + "'";
                return ParseResult::kError;
            }
            if (name == "--from" && up > uint64_t{kShowLength}) {
                error = "--from is after the end of the show (140 s)";
                return ParseResult::kError;
            }
            if (name == "--from") {
                o.fromMs = static_cast<uint32_t>(up);
                fromGiven = true;
            } else {
                o.toMs = static_cast<uint32_t>(std::min(down, uint64_t{kShowLength}));
            }
        } else if (name == "--music") {
            o.music = value;
            musicGiven = true;
        } else if (name == "--spectrum") {
            o.spectrumFile = value;
        } else if (name == "--dump-spectrum") {
            o.dumpSpectrum = value;
        } else if (name == "--png") {
            o.pngDir = value;
        } else if (name == "--y4m") {
            o.y4m = value;
        } else if (name == "--flash-report") {
            o.flashReport = value;
        } else if (name == "--flash-plot") {
            o.flashPlot = value;
        } else {
            o.raw = value;
        }
    }
    if (o.frames && (fromGiven || o.toMs)) {
        error = "--frames and --from/--to choose the frames two ways; use one";
        return ParseResult::kError;
    }
    if (o.toMs && *o.toMs < o.fromMs) {
        error = "--to is before --from";
        return ParseResult::kError;
    }
    const int spectrumChoices = int(o.silent) + int(!o.spectrumFile.empty()) + int(musicGiven);
    if (spectrumChoices > 1) {
        error = std::string(musicGiven ? "--music and " : "--silent and ") +
                (o.silent && musicGiven ? "--silent" : "--spectrum") +
                " both choose the spectrum; use one";
        return ParseResult::kError;
    }
    if (o.pngDir.empty() && o.y4m.empty() && o.raw.empty() && o.dumpSpectrum.empty() &&
        o.flashReport.empty() && o.flashPlot.empty()) {
        error = "nothing to write: give --png DIR, --y4m FILE, --raw FILE, --dump-spectrum FILE "
                "or --flash-report FILE (see --help)";
        return ParseResult::kError;
    }
    if (!distinctOutputs(o, error)) return ParseResult::kError;
    return ParseResult::kRun;
}

// The text --help prints.
const char *renderHelpText() {
    static const std::string text = kHelpHead + std::string(kMusicFile) + kHelpTail;
    return text.c_str();
}

// At the options' frame rate.
uint32_t frameMilliseconds(const RenderOptions &o, uint64_t k) {
    return frameMilliseconds(k, o.fpsNum, o.fpsDen);
}
