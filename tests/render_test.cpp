// glaxen-render: its frames against the show's own main routine, determinism, the text's first
// frame, its inputs and outputs: bad ones, outputs that are inputs, links, long names, a full
// disk, and the exact pixels of its PNGs and y4m planes.
#include "render/output_file.h"
#include "render/png_encoder.h"
#include "render/render_session.h"
#include "render/y4m_stream.h"

#include "fake_platform.h"
#include "show/frame_passes.h"
#include "show/show_main.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
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

// Runs the renderer and returns what it said on standard error.
std::string renderSaying(const std::vector<std::string> &args, int &code) {
    testing::internal::CaptureStderr();
    code = render(args);
    return testing::internal::GetCapturedStderr();
}

// Names under dir that hold ".part".
std::vector<std::string> partFiles(const fs::path &dir) {
    std::vector<std::string> found;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        if (entry.path().filename().string().find(".part") != std::string::npos)
            found.push_back(entry.path().string());
    return found;
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
    std::vector<uint8_t> out(kY4mFrameBytes);
    frameToY4m(frame.data(), out.data());
    ASSERT_EQ(out.size(), 6 + 3u * kScreenPixels);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "FRAME\n");
    const uint8_t *y = out.data() + 6, *u = y + kScreenPixels, *v = u + kScreenPixels;
    EXPECT_EQ(y[0], 16);
    EXPECT_EQ(u[0], 128);
    EXPECT_EQ(y[1], 235);
    EXPECT_EQ(v[1], 128);
    EXPECT_EQ(v[2], 240) << "pure red is the largest V";
}

// The y4m planes are the integer BT.601 formulas, pixel for pixel, whichever build runs.
TEST(Render, Y4mPlanesFollowTheFormulasOnEveryPixel) {
    std::vector<Pixel> frame(kScreenPixels);
    std::mt19937 random(5);
    for (Pixel &pixel : frame) pixel = random();
    frame[0] = 0x00FFFFFF;
    frame[1] = 0x000000FF;
    std::vector<uint8_t> out(kY4mFrameBytes);
    frameToY4m(frame.data(), out.data());
    const uint8_t *y = out.data() + 6, *u = y + kScreenPixels, *v = u + kScreenPixels;
    for (int i = 0; i < kScreenPixels; ++i) {
        const int r = (frame[i] >> 16) & 0xFF, g = (frame[i] >> 8) & 0xFF, b = frame[i] & 0xFF;
        const int wantY = 16 + ((66 * r + 129 * g + 25 * b + 128) >> 8);
        const int wantU = 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8);
        const int wantV = 128 + ((112 * r - 94 * g - 18 * b + 128) >> 8);
        ASSERT_EQ(int(y[i]), wantY) << "Y of pixel " << i << " " << std::hex << frame[i];
        ASSERT_EQ(int(u[i]), wantU) << "U of pixel " << i << " " << std::hex << frame[i];
        ASSERT_EQ(int(v[i]), wantV) << "V of pixel " << i << " " << std::hex << frame[i];
    }
}

// A PNG decodes (with libpng) to exactly the frame's colours.
TEST(Render, PngPixelsAreExact) {
    Scratch scratch;
    ASSERT_EQ(render({"--seed", "3", "--silent", "--fps", "10", "--from", "20", "--to", "20",
                      "--raw", scratch / "f.raw", "--png", scratch / "png"}),
              0);
    const std::vector<Pixel> frame = rawFrame(bytesOf(scratch / "f.raw"), 0);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (scratch / "png/frame_000200.png").c_str()))
        << image.message;
    ASSERT_EQ(image.width, unsigned(kScreenWidth));
    ASSERT_EQ(image.height, unsigned(kScreenHeight));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    for (int i = 0; i < kScreenPixels; ++i) {
        const Pixel got = Pixel(rgb[3 * i]) << 16 | Pixel(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
        ASSERT_EQ(got, frame[i] & 0xFFFFFF) << "pixel " << i;
    }
}

// An output that is also an input, by any name, is refused and the input stays as it was.
TEST(Render, AnOutputThatIsAnInputIsRefused) {
    Scratch scratch;
    fs::copy_file(GLAXEN_MUSIC, scratch / "m.ogg");
    writeSpectra(scratch / "s.bin", 3);
    fs::create_hard_link(scratch / "s.bin", scratch / "hard.bin");
    fs::create_symlink(scratch / "m.ogg", scratch / "link.ogg");
    const std::vector<std::vector<std::string>> cases = {
        {"--music", scratch / "m.ogg", "--raw", scratch / "m.ogg"},
        {"--spectrum", scratch / "s.bin", "--raw", scratch / "s.bin"},
        {"--spectrum", scratch / "s.bin", "--dump-spectrum", scratch / "s.bin"},
        {"--spectrum", scratch / "s.bin", "--y4m", scratch / "hard.bin"},
        {"--music", scratch / "m.ogg", "--y4m", scratch / "link.ogg"},
    };
    const std::vector<char> music = bytesOf(scratch / "m.ogg"),
                            spectra = bytesOf(scratch / "s.bin");
    for (auto args : cases) {
        const std::string shown = args[0] + " ... " + args[2];
        args.insert(args.begin(), {"--seed", "1", "--frames", "2"});
        int code = 0;
        const std::string said = renderSaying(args, code);
        EXPECT_EQ(code, 2) << shown;
        EXPECT_NE(said.find("which this run reads"), std::string::npos) << shown << ": " << said;
        EXPECT_EQ(bytesOf(scratch / "m.ogg"), music) << shown << " changed the music";
        EXPECT_EQ(bytesOf(scratch / "s.bin"), spectra) << shown << " changed the spectra";
    }
    EXPECT_TRUE(fs::is_symlink(scratch / "link.ogg"));
    EXPECT_EQ(partFiles(scratch.dir), std::vector<std::string>{});
}

// An output named by a symbolic link is written through it: the link stays, its file gets the
// frames, also when the file is not there yet.
TEST(Render, SymbolicLinksAreWrittenThrough) {
    Scratch scratch;
    fs::create_directories(scratch / "real");
    std::ofstream(scratch / "real/old.raw") << "old";
    fs::create_symlink(scratch / "real/old.raw", scratch / "to-old.raw");
    fs::create_symlink("real/new.raw", scratch / "to-new.raw");
    for (const char *link : {"to-old.raw", "to-new.raw"}) {
        ASSERT_EQ(render({"--seed", "1", "--silent", "--frames", "2", "--raw", scratch / link}), 0)
            << link;
        EXPECT_TRUE(fs::is_symlink(scratch / link)) << link << " was replaced";
        EXPECT_EQ(fs::file_size(scratch / link), 2u * 4 * kScreenPixels) << link;
    }
    EXPECT_EQ(fs::file_size(scratch / "real/new.raw"), 2u * 4 * kScreenPixels);
    EXPECT_EQ(partFiles(scratch.dir), std::vector<std::string>{});
}

// Every name the file system takes is written, up to its limit; one past it is refused.
TEST(Render, LongNamesUpToTheLimitAreWritten) {
    Scratch scratch;
    const long limit = pathconf(scratch.dir.c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 16);
    for (long length : {limit - 10, limit - 5, limit - 1, limit}) {
        const std::string name = std::string(size_t(length) - 4, 'n') + ".raw";
        int code = 0;
        const std::string said = renderSaying(
            {"--seed", "1", "--silent", "--frames", "1", "--raw", scratch / name}, code);
        EXPECT_EQ(code, 0) << length << " characters: " << said;
        EXPECT_TRUE(fs::exists(scratch / name)) << length << " characters";
    }
    int code = 0;
    const std::string said = renderSaying({"--seed", "1", "--silent", "--frames", "1", "--raw",
                                           scratch / std::string(size_t(limit) + 1, 'x')},
                                          code);
    EXPECT_EQ(code, 2);
    EXPECT_NE(said.find(std::strerror(ENAMETOOLONG)), std::string::npos) << said;
    EXPECT_EQ(partFiles(scratch.dir), std::vector<std::string>{});
}

// A temporary name is cut to the limit at a character's start, never inside one.
TEST(Render, TemporaryNamesFitTheLimit) {
    const std::string suffix = ".part-" + std::to_string(getpid());
    const std::string e = "\xC3\xA9";  // two bytes in UTF-8
    const struct {
        std::string target;
        size_t limit;
        std::string want;
    } cases[] = {
        {"dir/a.raw", 255, "dir/a.raw" + suffix},
        {std::string(250, 'a'), 255, std::string(255 - suffix.size(), 'a') + suffix},
        {"d/" + std::string(10, 'a') + e + e, 13 + suffix.size(),
         "d/" + std::string(10, 'a') + e + suffix},
    };
    for (const auto &c : cases) EXPECT_EQ(temporaryName(c.target, c.limit, 0), c.want) << c.target;
    EXPECT_EQ(temporaryName("a", 255, 3), "a" + suffix + "-3");
}

// A full disk is said as the system says it, for every kind of output, and only finished PNGs
// stay, as many as the message says. It needs a small file system of its own, a 4 MB tmpfs, and
// the right to mount one; without that the test says so and is skipped.
TEST(Render, AFullDiskIsSaidAsSuch) {
    Scratch scratch;
    const std::string disk = scratch / "disk";
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "cannot mount a 4 MB tmpfs at " << disk << " (" << std::strerror(errno)
                     << "), so no full disk here";
    struct Unmount {
        std::string at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    for (const char *output : {"--png", "--y4m", "--raw", "--dump-spectrum"}) {
        const std::string target = disk + "/out";
        int code = 0;
        const std::string said = renderSaying({"--seed", "1", "--silent", output, target}, code);
        EXPECT_EQ(code, 2) << output;
        EXPECT_NE(said.find(std::strerror(ENOSPC)), std::string::npos) << output << ": " << said;
        EXPECT_EQ(partFiles(disk), std::vector<std::string>{}) << output;
        if (std::string(output) == "--png") {
            size_t pngs = 0;
            for (const auto &entry : fs::directory_iterator(target))
                pngs += entry.is_regular_file();
            EXPECT_GT(pngs, 0u);
            EXPECT_NE(said.find("kept " + std::to_string(pngs) + " finished PNGs in " + target),
                      std::string::npos)
                << said;
        } else {
            EXPECT_FALSE(fs::exists(target)) << output << " left a half-written file";
        }
        fs::remove_all(target);
    }
}
