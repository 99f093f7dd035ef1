// Tests of the Vorbis writer: a file that vorbisfile reads back, and the same bytes every time.
#include "vorbis_writer.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Two seconds of a quiet chord, different on each side.
StereoBuffer testTone() {
    constexpr int rate = 44100;
    StereoBuffer audio = makeStereoBuffer(2 * rate);
    for (long i = 0; i < frameCount(audio); ++i) {
        const double t = static_cast<double>(i) / rate;
        audio.left[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * t));
        audio.right[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 660.0 * t));
    }
    return audio;
}

// The bytes of a file.
std::vector<char> bytesOf(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A path in the temporary directory unique to this test.
std::string tempPath(const char *name) {
    return testing::TempDir() + "glaxen_" + name + ".ogg";
}

TEST(VorbisWriter, WritesAFileThatDecodesToTheSameShapeAndTags) {
    const StereoBuffer audio = testTone();
    VorbisSettings settings;
    settings.title = "test tone";
    const std::string path = tempPath("shape");
    std::string error;
    ASSERT_TRUE(writeOggVorbis(path, audio, settings, error)) << error;

    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(path.c_str(), &file), 0) << "vorbisfile could not open " << path;
    const vorbis_info *info = ov_info(&file, -1);
    EXPECT_EQ(info->rate, 44100) << "rate";
    EXPECT_EQ(info->channels, 2) << "channels";
    EXPECT_EQ(ov_pcm_total(&file, -1), frameCount(audio)) << "frames";
    vorbis_comment *comment = ov_comment(&file, -1);
    const char *title = vorbis_comment_query(comment, "TITLE", 0);
    ASSERT_NE(title, nullptr) << "no TITLE tag";
    EXPECT_STREQ(title, "test tone");
    EXPECT_EQ(ov_serialnumber(&file, -1), static_cast<long>(settings.serial)) << "serial";

    // The decoded left channel keeps its level: RMS of a 0.3 sine is 0.212.
    double squares = 0.0;
    long frames = 0;
    int section = 0;
    for (;;) {
        float **pcm = nullptr;
        const long got = ov_read_float(&file, &pcm, 4096, &section);
        if (got <= 0) break;
        for (long i = 0; i < got; ++i) squares += pcm[0][i] * pcm[0][i];
        frames += got;
    }
    ov_clear(&file);
    const double rms = std::sqrt(squares / frames);
    EXPECT_NEAR(rms, 0.3 / std::numbers::sqrt2, 0.01) << "expected RMS 0.212, got " << rms;
    std::remove(path.c_str());
}

TEST(VorbisWriter, SameInputGivesTheSameBytes) {
    const StereoBuffer audio = testTone();
    const std::string first = tempPath("first");
    const std::string second = tempPath("second");
    std::string error;
    ASSERT_TRUE(writeOggVorbis(first, audio, VorbisSettings{}, error)) << error;
    ASSERT_TRUE(writeOggVorbis(second, audio, VorbisSettings{}, error)) << error;
    const std::vector<char> a = bytesOf(first);
    const std::vector<char> b = bytesOf(second);
    EXPECT_GT(a.size(), 1000u) << "file too small: " << a.size() << " bytes";
    EXPECT_TRUE(a == b) << "two encodings differ: " << a.size() << " and " << b.size() << " bytes";
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(VorbisWriter, ReportsAnUnwritablePath) {
    std::string error;
    EXPECT_FALSE(writeOggVorbis("/nonexistent-dir/x.ogg", testTone(), VorbisSettings{}, error));
    EXPECT_NE(error.find("/nonexistent-dir/x.ogg"), std::string::npos)
        << "expected the path in the message, got: " << error;
}

}  // namespace
