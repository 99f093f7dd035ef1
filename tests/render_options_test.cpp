// glaxen-render's command line: what it refuses, the frame rate and the seconds it reads, and
// the help.
#include "render/render_options.h"

#include "show/show_main.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// What parsing a command line gave.
struct Parsed {
    ParseResult result;
    RenderOptions options;
    std::string error;
};

// Parses the words of line as the arguments after the program's name.
Parsed parse(const std::string &line) {
    std::istringstream in(line);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char *> args = {"glaxen-render"};
    for (const std::string &word : words) args.push_back(word.c_str());
    Parsed parsed;
    parsed.result = parseRenderOptions(int(args.size()), args.data(), parsed.options, parsed.error);
    return parsed;
}

}  // namespace

// Each is refused with a message saying why (beside --raw -, except the run with no output).
TEST(RenderOptions, BadOptionsAreRefused) {
    std::istringstream cases(
        "--fps 0;--fps abc;--fps 60.0001;--seed -1;--seed 4294967296;--frames 0;--frames x;"
        "--from -3;--to;--bogus;--frames 3 --from 1;--from 5 --to 4;--silent --spectrum s.bin;"
        "--y4m -;--raw o --y4m o;--y4m o --dump-spectrum ./o;--dump-spectrum -;"
        "--music m.ogg --silent;--spectrum s.bin --music m.ogg;--from 1e18;--to 1.2.3;--to .;"
        "--from 140.0001;--from 99999999999999999999;--png d --y4m d/o;--flash-report -;"
        "--flash-plot;--flash-report r --flash-plot ./r");
    for (std::string line; std::getline(cases, line, ';');) {
        const Parsed parsed = parse("--raw - " + line);
        EXPECT_EQ(parsed.result, ParseResult::kError) << "accepted: " << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
    }
    const Parsed nothing = parse("--seed 1 --silent");
    EXPECT_EQ(nothing.result, ParseResult::kError);
    EXPECT_NE(nothing.error.find("nothing to write"), std::string::npos) << nothing.error;
    for (const char *output :
         {"--png", "--y4m", "--raw", "--dump-spectrum", "--flash-report", "--flash-plot"})
        EXPECT_EQ(parse(std::string(output) + " x").result, ParseResult::kRun) << output;
}

// --help or -h, wherever it comes, asks for the help, which names the default music.
TEST(RenderOptions, HelpNamesTheDefaultMusic) {
    EXPECT_EQ(parse("--help").result, ParseResult::kHelp);
    EXPECT_EQ(parse("--raw - -h").result, ParseResult::kHelp);
    EXPECT_NE(std::string(renderHelpText()).find(kMusicFile), std::string::npos);
}

// --fps as a reduced fraction, and frame 3's time at it; seconds as whole milliseconds in
// integers: --from rounds up, --to rounds down, and a --to past the show's end is its end.
TEST(RenderOptions, FpsAndSecondsInIntegers) {
    // the options after --raw -; fps as num / den; frame 3's time; --from's and --to's times
    const std::tuple<std::string, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> cases[] = {
        {"--fps 60 --from 0 --to 0", 60, 1, 50, 0, 0},
        {"--fps 29.97 --from 91 --to 91.1", 2997, 100, 100, 91000, 91100},
        {"--fps 0.5 --from 1.0001 --to 2.0009", 1, 2, 6000, 1001, 2000},
        {"--from .5 --to 7.", 60, 1, 50, 500, 7000},
        {"--from 140 --to 140.0000001", 60, 1, 50, 140000, 140000},
        {"--to 4294968", 60, 1, 50, 0, 140000},
        {"--to 9223372036854775808", 60, 1, 50, 0, 140000},
        {"--to 99999999999999999999999999.5", 60, 1, 50, 0, 140000}};
    for (const auto &[line, num, den, frame3, fromMs, toMs] : cases) {
        const Parsed parsed = parse("--raw - " + line);
        ASSERT_EQ(parsed.result, ParseResult::kRun) << line << ": " << parsed.error;
        const RenderOptions &o = parsed.options;
        EXPECT_EQ(
            std::tuple(o.fpsNum, o.fpsDen, frameMilliseconds(o, 3), o.fromMs, o.toMs.value_or(~0u)),
            std::tuple(num, den, frame3, fromMs, toMs))
            << line;
    }
}
