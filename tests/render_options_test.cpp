// glaxen-render's command line: what it refuses, the frame rate and the seconds it reads, and
// the help text.
#include "render/render_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses args after the program's name.
ParseResult parse(std::vector<const char *> args, RenderOptions &options, std::string &error) {
    args.insert(args.begin(), "glaxen-render");
    return parseRenderOptions(int(args.size()), args.data(), options, error);
}

}  // namespace

// ---------------------------------------------------------------- options

TEST(RenderOptions, BadOptionsAreRefused) {
    const std::vector<std::vector<const char *>> cases = {
        {"--fps", "0"},
        {"--fps", "abc"},
        {"--fps", "60.0001"},
        {"--seed", "-1"},
        {"--seed", "4294967296"},
        {"--frames", "0"},
        {"--frames", "x"},
        {"--from", "-3"},
        {"--to"},
        {"--bogus"},
        {"--frames", "3", "--from", "1"},
        {"--from", "5", "--to", "4"},
        {"--silent", "--spectrum", "s.bin"},
        {"--y4m", "-"},
        {"--raw", "same.out", "--y4m", "same.out"},
        {"--y4m", "same.out", "--dump-spectrum", "./same.out"},
        {"--dump-spectrum", "-"},
        {"--music", "m.ogg", "--silent"},
        {"--spectrum", "s.bin", "--music", "m.ogg"},
        {"--from", "1e18"},
        {"--to", "1.2.3"},
        {"--to", "."},
        {"--from", "140.0001"},
        {"--from", "99999999999999999999"},
    };
    for (const auto &args : cases) {
        std::vector<const char *> argv = {"glaxen-render", "--raw", "-"};
        argv.insert(argv.end(), args.begin(), args.end());
        RenderOptions options;
        std::string error;
        EXPECT_EQ(parseRenderOptions(int(argv.size()), argv.data(), options, error),
                  ParseResult::kError)
            << "accepted: " << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

TEST(RenderOptions, FpsAndFrameTimes) {
    const struct {
        const char *fps;
        uint32_t num, den;
        uint64_t k;
        uint32_t wantMs;
    } cases[] = {
        {"60", 60, 1, 1, 16},        {"60", 60, 1, 3, 50},        {"60", 60, 1, 8400, 140000},
        {"29.97", 2997, 100, 1, 33}, {"25", 25, 1, 3500, 140000}, {"0.5", 1, 2, 3, 6000},
    };
    for (const auto &c : cases) {
        const char *argv[] = {"glaxen-render", "--fps", c.fps, "--raw", "-"};
        RenderOptions options;
        std::string error;
        ASSERT_EQ(parseRenderOptions(5, argv, options, error), ParseResult::kRun) << error;
        EXPECT_EQ(options.fpsNum, c.num) << c.fps;
        EXPECT_EQ(options.fpsDen, c.den) << c.fps;
        EXPECT_EQ(frameMilliseconds(options, c.k), c.wantMs) << c.fps << " frame " << c.k;
    }
}

TEST(RenderOptions, HelpListsEveryOptionWithItsDefault) {
    const std::string help = renderHelpText();
    for (const char *option :
         {"--seed", "--fps", "--frames", "--from", "--to", "--music", "--silent", "--spectrum",
          "--dump-spectrum", "--png", "--y4m", "--raw", "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(help.find("default: 60"), std::string::npos);
    EXPECT_NE(help.find("qx-331b_051224.ogg"), std::string::npos);
}

// Seconds become whole milliseconds in integers: --from rounds up, --to rounds down, and a
// --to past the show's end is its end.
TEST(RenderOptions, SecondsInWholeMilliseconds) {
    const struct {
        const char *from, *to;
        uint32_t fromMs, toMs;
    } cases[] = {
        {"0", "0", 0, 0},
        {"91", "91.1", 91000, 91100},
        {"1.0001", "2.0009", 1001, 2000},
        {".5", "7.", 500, 7000},
        {"140", "140.0000001", 140000, 140000},
        {"0", "4294968", 0, 140000},
        {"0", "9223372036854775808", 0, 140000},
        {"0", "99999999999999999999999999.5", 0, 140000},
    };
    for (const auto &c : cases) {
        RenderOptions options;
        std::string error;
        ASSERT_EQ(parse({"--from", c.from, "--to", c.to, "--raw", "-"}, options, error),
                  ParseResult::kRun)
            << c.from << " to " << c.to << ": " << error;
        EXPECT_EQ(options.fromMs, c.fromMs) << "--from " << c.from;
        ASSERT_TRUE(options.toMs.has_value());
        EXPECT_EQ(*options.toMs, c.toMs) << "--to " << c.to;
    }
}

// A run that would write nothing is refused, and says what to give.
TEST(RenderOptions, NothingToWriteIsRefused) {
    RenderOptions options;
    std::string error;
    EXPECT_EQ(parse({"--seed", "1", "--silent"}, options, error), ParseResult::kError);
    EXPECT_NE(error.find("nothing to write"), std::string::npos) << error;
    for (const char *output : {"--png", "--y4m", "--raw", "--dump-spectrum"}) {
        RenderOptions one;
        EXPECT_EQ(parse({output, "x"}, one, error), ParseResult::kRun) << output << ": " << error;
    }
}

// The help says what each exit code means.
TEST(RenderOptions, HelpListsTheExitCodes) {
    const std::string help = renderHelpText();
    for (const char *code : {"0 ", "2 ", "129", "130", "131", "141", "143"})
        EXPECT_NE(help.find(code), std::string::npos) << "exit code " << code;
}
