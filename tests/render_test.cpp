// glaxen-render: its options, its frames against the show's own main routine, determinism,
// the text's first frame, its inputs and outputs.
#include "render/frame_writers.h"
#include "render/render_options.h"
#include "render/render_session.h"

#include "fake_platform.h"
#include "show/frame_passes.h"
#include "show/show_main.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A scratch folder for one test, removed afterwards.
struct Scratch {
    fs::path dir;
    Scratch() {
        dir = fs::temp_directory_path() /
              ("glaxen-render-test-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator/(const std::string &name) const { return (dir / name).string(); }
};

// Runs the renderer with these arguments.
int render(std::vector<std::string> args) {
    args.insert(args.begin(), "glaxen-render");
    std::vector<const char *> argv;
    for (const std::string &a : args) argv.push_back(a.c_str());
    return renderMain(int(argv.size()), argv.data());
}

std::vector<char> bytesOf(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Frame k of a raw file.
std::vector<Pixel> rawFrame(const std::vector<char> &raw, size_t k) {
    std::vector<Pixel> frame(kScreenPixels);
    std::memcpy(frame.data(), raw.data() + k * sizeof(Pixel) * kScreenPixels,
                sizeof(Pixel) * kScreenPixels);
    return frame;
}

// Writes n spectra, each with slot 5 set to its index + 1.
void writeSpectra(const std::string &path, int n, size_t extraBytes = 0) {
    std::ofstream out(path, std::ios::binary);
    for (int k = 0; k < n; ++k) {
        float spectrum[1024] = {};
        spectrum[5] = float(k + 1);
        out.write(reinterpret_cast<const char *>(spectrum), sizeof spectrum);
    }
    out.write(std::string(extraBytes, '\0').data(), std::streamsize(extraBytes));
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
        {"--y4m", "-", "--raw", "-"},
        {"--raw", "same.out", "--y4m", "same.out"},
        {"--raw", "same.out", "--dump-spectrum", "./same.out"},
        {"--y4m", "-", "--dump-spectrum", "-"},
    };
    for (const auto &args : cases) {
        std::vector<const char *> argv = {"glaxen-render"};
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
        const char *argv[] = {"glaxen-render", "--fps", c.fps};
        RenderOptions options;
        std::string error;
        ASSERT_EQ(parseRenderOptions(3, argv, options, error), ParseResult::kRun) << error;
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

// ---------------------------------------------------------------- frames

// The raw frames are what the main routine presents over a clock at the same times.
TEST(Render, RawFramesEqualTheMainRoutineOverTheSameClock) {
    Scratch scratch;
    ASSERT_EQ(render({"--seed", "1", "--silent", "--frames", "5", "--raw", scratch / "a.raw"}), 0);
    const std::vector<char> raw = bytesOf(scratch / "a.raw");
    ASSERT_EQ(raw.size(), 5u * 4 * kScreenPixels);

    FakePlatform fake;
    fake.seed = 1;
    fake.clock = {0, 0, 0, 16, 33, 50, 66};
    fake.escapeOnFrame = 5;
    std::vector<std::vector<Pixel>> presented;
    fake.onPresent = [&](const Pixel *frame) {
        presented.emplace_back(frame, frame + kScreenPixels);
    };
    showMain(fake.platform());
    ASSERT_EQ(presented.size(), 5u);
    for (size_t k = 0; k < 5; ++k) EXPECT_TRUE(rawFrame(raw, k) == presented[k]) << "frame " << k;
}

TEST(Render, SameSeedAndInputsGiveTheSameBytes) {
    Scratch scratch;
    for (const char *name : {"a", "b"})
        ASSERT_EQ(render({"--seed", "7", "--silent", "--fps", "30", "--frames", "20", "--raw",
                          scratch / (std::string(name) + ".raw"), "--y4m",
                          scratch / (std::string(name) + ".y4m")}),
                  0);
    EXPECT_EQ(bytesOf(scratch / "a.raw"), bytesOf(scratch / "b.raw"));
    EXPECT_EQ(bytesOf(scratch / "a.y4m"), bytesOf(scratch / "b.y4m"));
    ASSERT_EQ(render({"--seed", "8", "--silent", "--fps", "30", "--frames", "20", "--raw",
                      scratch / "c.raw"}),
              0);
    EXPECT_NE(bytesOf(scratch / "a.raw"), bytesOf(scratch / "c.raw")) << "the seed changes nothing";
}

// No text at t_show 91000; the red text from the next frame on.
TEST(Render, TextFromTheFrameAfter91Seconds) {
    Scratch scratch;
    ASSERT_EQ(render({"--seed", "1", "--silent", "--fps", "10", "--from", "91", "--to", "91.1",
                      "--raw", scratch / "t.raw"}),
              0);
    const std::vector<char> raw = bytesOf(scratch / "t.raw");
    ASSERT_EQ(raw.size(), 2u * 4 * kScreenPixels) << "frames at 91000 and 91100";
    auto redOnTextRow = [](const std::vector<Pixel> &frame) {
        int n = 0;
        for (int y = 20; y < 39; ++y)
            for (int x = 40; x < 240; ++x) n += frame[y * kScreenWidth + x] == 0x00FF0000u;
        return n;
    };
    EXPECT_EQ(redOnTextRow(rawFrame(raw, 0)), 0) << "text at 91000";
    const std::vector<Pixel> after = rawFrame(raw, 1);
    EXPECT_GT(redOnTextRow(after), 100) << "no text at 91100";
    for (int x : {40, 60, 80, 100, 140, 160, 180, 200})
        EXPECT_EQ(after[20 * kScreenWidth + x], 0x00FF0000u) << "glyph marker at x " << x;
}

// ---------------------------------------------------------------- inputs and outputs

TEST(Render, BadSpectrumFilesAreRefused) {
    Scratch scratch;
    writeSpectra(scratch / "short.bin", 2, 100);
    writeSpectra(scratch / "empty.bin", 0);
    fs::create_directories(scratch / "folder.bin");
    for (const char *name : {"short.bin", "empty.bin", "missing.bin", "folder.bin"}) {
        EXPECT_EQ(render({"--seed", "1", "--frames", "2", "--spectrum", scratch / name, "--raw",
                          scratch / "out.raw"}),
                  2)
            << name;
        EXPECT_FALSE(fs::exists(scratch / "out.raw")) << name << " left an output behind";
    }
}

// Spectra are taken frame by frame; when they run out the last one stays, as after the music.
TEST(Render, SpectrumFileFeedsTheFramesInOrder) {
    Scratch scratch;
    writeSpectra(scratch / "s.bin", 2);
    ASSERT_EQ(render({"--seed", "1", "--frames", "4", "--spectrum", scratch / "s.bin",
                      "--dump-spectrum", scratch / "d.bin"}),
              0);
    const std::vector<char> dump = bytesOf(scratch / "d.bin");
    ASSERT_EQ(dump.size(), 4u * 4096);
    const float want[] = {1, 2, 2, 2};
    for (int k = 0; k < 4; ++k) {
        float slot5;
        std::memcpy(&slot5, dump.data() + k * 4096 + 5 * 4, 4);
        EXPECT_EQ(slot5, want[k]) << "frame " << k;
    }
}

// A stretch that holds no frame at the rate asked for writes nothing and says so.
TEST(Render, EmptyStretchIsRefused) {
    Scratch scratch;
    EXPECT_EQ(render({"--seed", "1", "--silent", "--fps", "10", "--from", "91.001", "--to",
                      "91.002", "--raw", scratch / "none.raw"}),
              2);
    EXPECT_FALSE(fs::exists(scratch / "none.raw"));
}

TEST(Render, UnwritableOutputsAreRefused) {
    Scratch scratch;
    fs::create_directories(scratch / "dir");
    std::ofstream(scratch / "plain.txt") << "a file, not a folder";
    const std::vector<std::vector<std::string>> cases = {
        {"--raw", scratch / "no/such/folder/x.raw"},
        {"--y4m", scratch / "dir"},
        {"--dump-spectrum", scratch / "no/such/folder/d.bin"},
        {"--png", scratch / "plain.txt/png"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), {"--seed", "1", "--silent", "--frames", "2"});
        EXPECT_EQ(render(args), 2) << args[5];
    }
    for (const auto &entry : fs::recursive_directory_iterator(scratch.dir))
        EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos)
            << entry.path() << " was left behind";
}

// One output that cannot be finished takes the others with it: all or nothing.
TEST(Render, OutputsAreWrittenAllOrNothing) {
    Scratch scratch;
    fs::create_directories(scratch / "ro");
    // the y4m stream fails on its first frame: /dev/full takes nothing
    EXPECT_EQ(render({"--seed", "1", "--silent", "--frames", "2", "--raw", scratch / "ro/a.raw",
                      "--y4m", "/dev/full"}),
              2);
    EXPECT_FALSE(fs::exists(scratch / "ro/a.raw")) << "a finished output kept beside a failed one";
    for (const auto &entry : fs::directory_iterator(scratch / "ro"))
        ADD_FAILURE() << entry.path() << " was left behind";
}

TEST(Render, PngsOfWhatTheScreenShows) {
    Scratch scratch;
    ASSERT_EQ(render({"--seed", "2", "--silent", "--frames", "3", "--png", scratch / "png"}), 0);
    for (const char *name : {"frame_000000.png", "frame_000001.png", "frame_000002.png"}) {
        const std::vector<char> png = bytesOf(scratch / ("png/" + std::string(name)));
        ASSERT_GT(png.size(), 1000u) << name;
        EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG") << name;
    }
    EXPECT_FALSE(fs::exists(scratch / "png/frame_000003.png"));
}

// The y4m stream: its header, one FRAME per frame, Y of black 16 and of white 235.
TEST(Render, Y4mStream) {
    EXPECT_EQ(y4mHeader(2997, 100),
              "YUV4MPEG2 W640 H480 F2997:100 Ip A1:1 C444 XCOLORRANGE=LIMITED\n");
    std::vector<Pixel> frame(kScreenPixels, 0xFF000000);  // black, with bits 31-24 set
    frame[1] = 0x00FFFFFF;
    frame[2] = 0x00FF0000;
    std::vector<uint8_t> out;
    frameToY4m(frame.data(), out);
    ASSERT_EQ(out.size(), 6 + 3u * kScreenPixels);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "FRAME\n");
    const uint8_t *y = out.data() + 6, *u = y + kScreenPixels, *v = u + kScreenPixels;
    EXPECT_EQ(y[0], 16);
    EXPECT_EQ(u[0], 128);
    EXPECT_EQ(y[1], 235);
    EXPECT_EQ(v[1], 128);
    EXPECT_EQ(v[2], 240) << "pure red is the largest V";
}
