// glaxen-render: its frames against the show's own main routine and its seed, gentle mode and
// the flash report, the show's end, its inputs and outputs: bad ones, outputs that are inputs,
// links, the --png folder, long names, a full disk, and the exact pixels of its PNGs and y4m
// stream.
#include "render/flash_report.h"
#include "render/output_file.h"
#include "render/render_session.h"
#include "render/y4m_stream.h"

#include "child_process.h"
#include "fake_platform.h"
#include "show/frame_passes.h"
#include "show/gentle_filter.h"
#include "show/show_main.h"
#include "show/virtual_clock.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kFrameBytes = sizeof(Pixel) * kScreenPixels;

// Runs the renderer in this process with the words of line (see wordsOf); what it says on
// standard error goes to said.
int render(const std::string &line, const Scratch &scratch, std::string *said = nullptr) {
    const Names args = wordsOf("glaxen-render " + line, scratch);
    std::vector<const char *> argv;
    for (const std::string &a : args) argv.push_back(a.c_str());
    testing::internal::CaptureStderr();
    const int code = renderMain(int(argv.size()), argv.data());
    const std::string text = testing::internal::GetCapturedStderr();
    if (said) *said = text;
    return code;
}

// Frame k of a raw file.
std::vector<Pixel> rawFrame(const std::vector<char> &raw, size_t k) {
    std::vector<Pixel> frame(kScreenPixels);
    std::memcpy(frame.data(), raw.data() + k * kFrameBytes, kFrameBytes);
    return frame;
}

// A PNG's pixels as libpng's BGRA (alpha in bits 31-24); none unless it is 640 pixels wide.
std::vector<Pixel> pngPixels(const std::string &path) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<Pixel> pixels(PNG_IMAGE_SIZE(image) / sizeof(Pixel));
    const bool read = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    return read && image.width == unsigned(kScreenWidth) ? pixels : std::vector<Pixel>{};
}

// Writes n spectra, each with slot 5 set to its index + 1, and extra floats more.
void writeSpectra(const std::string &path, int n, size_t extra = 0) {
    std::vector<float> floats(1024 * size_t(n) + extra);
    for (int k = 0; k < n; ++k) floats[1024 * size_t(k) + 5] = float(k + 1);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(floats.data()), std::streamsize(4 * floats.size()));
}

}  // namespace

// The raw frames are what the main routine presents from the same seed over a clock at the same
// times; the frames before --from are computed, not written.
TEST(Render, RawFramesEqualTheMainRoutineOverTheSameClock) {
    Scratch scratch;
    ASSERT_EQ(render("--seed 7 --silent --from 0.033 --to 0.066 --raw @a.raw", scratch), 0);
    const std::vector<char> raw = bytesOf(scratch / "a.raw");
    ASSERT_EQ(raw.size(), 3 * kFrameBytes) << "frames 2 to 4, at 33, 50 and 66 ms";
    FakePlatform fake;
    fake.seed = 7;
    fake.clock = {0, 0, 0, 16, 33, 50, 66};
    fake.escapeOnFrame = 5;
    std::vector<std::vector<Pixel>> presented;
    fake.onPresent = [&](const Pixel *f) { presented.emplace_back(f, f + kScreenPixels); };
    showMain(fake.platform());
    ASSERT_EQ(presented.size(), 5u);
    for (size_t k = 0; k < 3; ++k)
        EXPECT_TRUE(rawFrame(raw, k) == presented[k + 2]) << "frame " << k + 2;
}

// --gentle writes the show's frames through gentle mode's filter; the flash report and plot are
// the analysis of the frames written.
TEST(Render, GentleFramesAndTheirFlashReport) {
    Scratch scratch;
    const std::string run = "--seed 1 --silent --fps 20 --frames 25 --raw @";
    ASSERT_EQ(render(run + "show.raw", scratch), 0);
    ASSERT_EQ(
        render(run + "gentle.raw --gentle --flash-report @r.txt --flash-plot @p.png", scratch), 0);
    const std::vector<char> show = bytesOf(scratch / "show.raw"),
                            gentle = bytesOf(scratch / "gentle.raw");
    ASSERT_EQ(gentle.size(), 25 * kFrameBytes);
    const auto filter = std::make_unique<GentleFilter>();
    FlashAnalysis analysis;
    startFlashAnalysis(analysis, 0);
    for (size_t k = 0; k < 25; ++k) {
        const std::vector<Pixel> frame = rawFrame(show, k);
        const int32_t ms = int32_t(frameMilliseconds(k, 20, 1));
        const Pixel *shown = gentleFrame(*filter, frame.data(), ms);
        ASSERT_TRUE(rawFrame(gentle, k) == std::vector<Pixel>(shown, shown + kScreenPixels))
            << "frame " << k;
        analyseFrame(analysis, shown, uint32_t(ms));
    }
    finishFlashAnalysis(analysis);
    RenderOptions options;  // the second run's: --silent --fps 20 --gentle
    options.fpsNum = 20;
    options.silent = options.gentle = true;
    const std::vector<char> report = bytesOf(scratch / "r.txt");
    EXPECT_EQ(std::string(report.begin(), report.end()),
              flashReportText(analysis.seconds, flashHeading(options, 1)));
    std::vector<Pixel> plot(kScreenPixels);
    drawFlashPlot(analysis.seconds, plot.data());
    for (Pixel &pixel : plot) pixel |= 0xFF000000u;
    EXPECT_TRUE(pngPixels(scratch / "p.png") == plot) << "the plot is not the analysis's";
}

// Spectra are taken frame by frame; when they run out the last one stays, as after the music. A
// --to past the show's end is its end: the whole show, 141 frames at 1 a second.
TEST(Render, SpectrumFileFeedsTheFramesToTheShowsEnd) {
    Scratch scratch;
    writeSpectra(scratch / "s.bin", 2);
    ASSERT_EQ(render("--fps 1 --to 999 --spectrum @s.bin --dump-spectrum @d.bin", scratch), 0);
    const std::vector<char> dump = bytesOf(scratch / "d.bin");
    ASSERT_EQ(dump.size(), 141u * 4096);
    std::vector<float> slot5(4);
    for (int k = 0; k < 4; ++k) std::memcpy(&slot5[k], dump.data() + k * 4096 + 5 * 4, 4);
    EXPECT_EQ(slot5, (std::vector<float>{1, 2, 2, 2})) << "slot 5 of each frame";
}

// Each run is refused with exit 2, writes nothing and leaves every file as it was: bad spectra,
// a stretch with no frame, outputs that cannot be written or finished, outputs that are inputs,
// a --png folder holding a user's file, a file with a frame's name or a link to a user's file.
TEST(Render, BadRunsAreRefusedAndChangeNothing) {
    Scratch scratch;
    writeSpectra(scratch / "short.bin", 2, 25);
    writeSpectra(scratch / "empty.bin", 0);
    writeSpectra(scratch / "s.bin", 3);
    fs::create_directories(scratch / "folder.bin");
    std::ofstream(scratch / "plain.txt") << "a file, not a folder";
    fs::copy_file(GLAXEN_MUSIC, scratch / "m.ogg");
    fs::create_hard_link(scratch / "s.bin", scratch / "hard.bin");
    fs::create_symlink(scratch / "m.ogg", scratch / "link.ogg");
    ASSERT_EQ(render("--silent --frames 2 --png @png", scratch), 0);
    for (const char *folder : {"mine", "named", "linked"})
        fs::copy(scratch / "png", scratch / folder);
    std::ofstream(scratch / "mine/notes.txt") << "a user's file";
    std::ofstream(scratch / "named/frame_000001.png") << "a user's file with a frame's name";
    fs::create_symlink(scratch / "plain.txt", scratch / "linked/frame_000002.png");
    const std::string reads = "which this run reads", frames = "--seed 1 --frames 2 ";
    const std::pair<std::string, std::string> cases[] = {
        {frames + "--spectrum @short.bin --raw @o", ""},
        {frames + "--spectrum @empty.bin --raw @o", ""},
        {frames + "--spectrum @missing.bin --raw @o", ""},
        {frames + "--spectrum @folder.bin --raw @o", ""},
        {"--silent --from 91.001 --to 91.002 --fps 10 --raw @o", ""},
        {frames + "--silent --raw @no/such/folder/x.raw", ""},
        {frames + "--silent --y4m @folder.bin", ""},
        {frames + "--silent --dump-spectrum @no/such/folder/d.bin", ""},
        {frames + "--silent --png @plain.txt/png", ""},
        {frames + "--silent --raw @o --y4m /dev/full", std::strerror(ENOSPC)},  // all or nothing
        {frames + "--music @m.ogg --raw @m.ogg", reads},
        {frames + "--spectrum @s.bin --raw @s.bin", reads},
        {frames + "--spectrum @s.bin --dump-spectrum @s.bin", reads},
        {frames + "--spectrum @s.bin --y4m @hard.bin", reads},
        {frames + "--music @m.ogg --y4m @link.ogg", reads},
        {frames + "--silent --png @mine", "it holds notes.txt (a file), which is not a frame"},
        {frames + "--silent --png @named", "frame_000001.png (a file glaxen-render did not write)"},
        {frames + "--silent --png @linked", "frame_000002.png (a symbolic link)"},
        {frames + "--silent --png @plain.txt", "it is not a folder"},
        {frames + "--silent --png @.", "name the folder itself"},
        {frames + "--silent --png @png --raw @png/o", "--raw writes into the --png folder"},
    };
    const auto before = snapshot(scratch.dir);
    for (const auto &[line, want] : cases) {
        std::string said;
        EXPECT_EQ(render(line, scratch, &said), 2) << line;
        EXPECT_NE(said.find(want), std::string::npos) << line << " said: " << said;
        EXPECT_TRUE(snapshot(scratch.dir) == before) << line << " changed the folder";
    }
}

// Frames 200 to 202 at 10 a second as PNGs named by their index, written over a killed run's part
// folder, each exactly the raw frame's colours by libpng; and as y4m, exactly those frames.
TEST(Render, PngsAndY4mAreExactlyTheFrames) {
    Scratch scratch;
    ASSERT_EQ(render("--silent --frames 2 --png @p.part", scratch), 0);  // a killed run's frames
    const std::string run = "--silent --fps 10 --from 20 --to 20.2 --raw @r --png @p --y4m @y";
    ASSERT_EQ(render(run, scratch), 0);
    const std::vector<char> raw = bytesOf(scratch / "r");
    ASSERT_EQ(namesIn(scratch / "p"),
              (Names{"frame_000200.png", "frame_000201.png", "frame_000202.png"}));
    std::string y4m = y4mHeader(10, 1), y4mFrame(kY4mFrameBytes, '\0');
    for (size_t k = 0; k < 3; ++k) {
        std::vector<Pixel> want = rawFrame(raw, k);
        frameToY4m(want.data(), reinterpret_cast<uint8_t *>(y4mFrame.data()));
        y4m += y4mFrame;
        for (Pixel &pixel : want) pixel |= 0xFF000000u;
        const std::string name = "p/frame_00020" + std::to_string(k) + ".png";
        EXPECT_TRUE(pngPixels(scratch / name) == want) << name << " is not the raw frame";
    }
    EXPECT_TRUE(bytesOf(scratch / "y") == std::vector<char>(y4m.begin(), y4m.end()))
        << "the y4m stream is not the raw frames'";
}

// The y4m stream's header, and each frame's FRAME and planes by the integer BT.601 formulas,
// pixel for pixel, whatever bits 31-24 hold.
TEST(Render, Y4mFramesFollowTheFormulasOnEveryPixel) {
    EXPECT_EQ(y4mHeader(2997, 100),
              "YUV4MPEG2 W640 H480 F2997:100 Ip A1:1 C444 XCOLORRANGE=LIMITED\n");
    std::vector<Pixel> frame(kScreenPixels);
    std::mt19937 random(5);
    for (Pixel &pixel : frame) pixel = random();
    frame[0] = 0x00FFFFFF, frame[1] = 0xFF000000, frame[2] = 0x00FF0000;
    std::vector<uint8_t> out(kY4mFrameBytes);
    frameToY4m(frame.data(), out.data());
    ASSERT_EQ(out.size(), 6 + 3u * kScreenPixels);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "FRAME\n");
    const uint8_t *y = out.data() + 6, *u = y + kScreenPixels, *v = u + kScreenPixels;
    for (int i = 0; i < kScreenPixels; ++i) {
        const int r = (frame[i] >> 16) & 0xFF, g = (frame[i] >> 8) & 0xFF, b = frame[i] & 0xFF;
        ASSERT_EQ(y[i], 16 + ((66 * r + 129 * g + 25 * b + 128) >> 8)) << "Y of " << frame[i];
        ASSERT_EQ(u[i], 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8)) << "U of " << frame[i];
        ASSERT_EQ(v[i], 128 + ((112 * r - 94 * g - 18 * b + 128) >> 8)) << "V of " << frame[i];
    }
}

// An output named by a symbolic link is written through it: the link stays, its file or folder
// gets the frames, also when it is not there yet; a folder's earlier frames are replaced whole by
// the new run's.
TEST(Render, SymbolicLinksAreWrittenThrough) {
    Scratch scratch;
    fs::create_directories(scratch / "real");
    std::ofstream(scratch / "real/old.raw") << "old";
    ASSERT_EQ(render("--silent --seed 1 --frames 3 --png @real/frames", scratch), 0);
    fs::create_symlink(scratch / "real/old.raw", scratch / "to-old.raw");
    fs::create_symlink("real/new.raw", scratch / "to-new.raw");
    fs::create_symlink(scratch / "real/frames", scratch / "to-frames");
    fs::create_symlink("real/new-frames", scratch / "to-new-frames");
    const std::string run = "--silent --seed 2 --frames 2 ";
    ASSERT_EQ(render(run + "--raw @want.raw --png @want", scratch), 0);
    ASSERT_EQ(render(run + "--raw @to-old.raw --png @to-frames/", scratch), 0);
    ASSERT_EQ(render(run + "--raw @to-new.raw --png @to-new-frames", scratch), 0);
    EXPECT_EQ(namesIn(scratch / "real"), (Names{"frames", "new-frames", "new.raw", "old.raw"}));
    for (const char *raw : {"real/old.raw", "real/new.raw"})
        EXPECT_TRUE(bytesOf(scratch / raw) == bytesOf(scratch / "want.raw")) << raw;
    for (const char *folder : {"real/frames", "real/new-frames"})
        EXPECT_TRUE(snapshot(scratch / folder) == snapshot(scratch / "want")) << folder;
}

// Every name the file system takes is written, up to its limit, by each kind of output, and
// nothing is left beside them; one past the limit is refused.
TEST(Render, LongNamesUpToTheLimitAreWritten) {
    Scratch scratch;
    const long limit = pathconf(scratch.dir.c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 16);
    Names names;  // shortest first, as namesIn sorts them
    for (long shorter : {10, 5, 1, 0}) names.emplace_back(size_t(limit - shorter), 'n');
    std::string said;
    const std::string each = "--silent --frames 1 --y4m @" + names[0] + " --dump-spectrum @" +
                             names[1] + " --png @" + names[2] + " --raw @" + names[3];
    EXPECT_EQ(render(each, scratch, &said), 0) << said;
    const std::string tooLong(size_t(limit) + 1, 'x');
    EXPECT_EQ(render("--silent --frames 1 --raw @" + tooLong, scratch, &said), 2);
    EXPECT_NE(said.find(std::strerror(ENAMETOOLONG)), std::string::npos) << said;
    EXPECT_EQ(namesIn(scratch.dir), names);
}

// A temporary name is cut to the limit at a character's start, never inside one.
TEST(Render, TemporaryNamesFitTheLimit) {
    const std::string suffix = ".part-" + std::to_string(getpid());
    const std::string a10(10, 'a'), e = "\xC3\xA9";  // two bytes in UTF-8
    EXPECT_EQ(temporaryName(std::string(250, 'a'), 255, 0),
              std::string(255 - suffix.size(), 'a') + suffix);
    EXPECT_EQ(temporaryName("d/" + a10 + e + e, 13 + suffix.size(), 0), "d/" + a10 + e + suffix);
    EXPECT_EQ(temporaryName("a", 255, 3), "a" + suffix + "-3");
}

// A full disk is said as the system says it, for every kind of output, and nothing is left. It
// needs a small file system of its own, a 4 MB tmpfs, and the right to mount one; without that
// the test says so and is skipped.
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
    for (const std::string output : {"--png", "--y4m", "--raw", "--dump-spectrum"}) {
        std::string said;
        EXPECT_EQ(render("--silent " + output + " @disk/out", scratch, &said), 2) << output;
        EXPECT_NE(said.find(std::strerror(ENOSPC)), std::string::npos) << output << ": " << said;
        EXPECT_EQ(namesIn(disk), Names{}) << output << " left a half-written output";
    }
}
