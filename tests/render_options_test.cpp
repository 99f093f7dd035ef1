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

// Parses the words of line as the arguments after the program's name.
ParseResult parse(const std::string &line, RenderOptions &options, std::string &error) {
    std::istringstream in(line);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char *> args = {"glaxen-render"};
    for (const std::string &word : words) args.push_back(word.c_str());
    return parseRenderOptions(int(args.size()), args.data(), options, error);
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
        RenderOptions options;
        std::string error;
        EXPECT_EQ(parse("--raw - " + line, options, error), ParseResult::kError)
            << "accepted: " << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    RenderOptions options;
    std::string error;
    EXPECT_EQ(parse("--seed 1 --silent", options, error), ParseResult::kError);
    EXPECT_NE(error.find("nothing to write"), std::string::npos) << error;
    for (const char *output :
         {"--png", "--y4m", "--raw", "--dump-spectrum", "--flash-report", "--flash-plot"}) {
        RenderOptions one;
        EXPECT_EQ(parse(std::string(output) + " x", one, error), ParseResult::kRun)
            << output << ": " << error;
    }
}

// --fps as a reduced fraction, and a frame's time at it.
TEST(RenderOptions, FpsAndFrameTimes) {
    const std::tuple<const char *, uint32_t, uint32_t, uint64_t, uint32_t> cases[] = {
        {"60", 60, 1, 8400, 140000}, {"29.97", 2997, 100, 1, 33}, {"0.5", 1, 2, 3, 6000}};
    for (const auto &[fps, num, den, k, ms] : cases) {
        RenderOptions options;
        std::string error;
        ASSERT_EQ(parse(std::string("--raw - --fps ") + fps, options, error), ParseResult::kRun)
            << error;
        EXPECT_EQ(std::tuple(options.fpsNum, options.fpsDen, frameMilliseconds(options, k)),
                  std::tuple(num, den, ms))
            << fps;
    }
}

// --help or -h, wherever it comes, asks for the help, which names the default music.
TEST(RenderOptions, HelpNamesTheDefaultMusic) {
    RenderOptions options;
    std::string error;
    EXPECT_EQ(parse("--help", options, error), ParseResult::kHelp);
    EXPECT_EQ(parse("--raw - -h", options, error), ParseResult::kHelp);
    EXPECT_NE(std::string(renderHelpText()).find(kMusicFile), std::string::npos);
}

// Seconds become whole milliseconds in integers: --from rounds up, --to rounds down, and a
// --to past the show's end is its end.
TEST(RenderOptions, SecondsInWholeMilliseconds) {
    const struct {
        const char *from, *to;
        uint32_t fromMs, toMs;
    } cases[] = {{"0", "0", 0, 0},
                 {"91", "91.1", 91000, 91100},
                 {"1.0001", "2.0009", 1001, 2000},
                 {".5", "7.", 500, 7000},
                 {"140", "140.0000001", 140000, 140000},
                 {"0", "4294968", 0, 140000},
                 {"0", "9223372036854775808", 0, 140000},
                 {"0", "99999999999999999999999999.5", 0, 140000}};
    for (const auto &c : cases) {
        RenderOptions options;
        std::string error;
        ASSERT_EQ(parse(std::string("--raw - --from ") + c.from + " --to " + c.to, options, error),
                  ParseResult::kRun)
            << c.from << " to " << c.to << ": " << error;
        EXPECT_EQ(options.fromMs, c.fromMs) << "--from " << c.from;
        EXPECT_EQ(options.toMs.value_or(~0u), c.toMs) << "--to " << c.to;
    }
}
