// Tests of the streaming music decoder on files written here: what does not open, conversion of
// layouts and rates to 44100 Hz stereo, seeking, chains, and damaged and hours-long files.
#include "platform/vorbis/vorbis_music.h"
#include "show/spectrum.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Owns an open decoder for the length of a test.
struct Music {
    VorbisMusic *music;
    explicit Music(const std::string &path) : music(openVorbisMusic(path.c_str())) {}
    ~Music() { closeVorbisMusic(music); }
};

// Reads everything left, in reads of chunk frames.
std::vector<float> readAll(VorbisMusic *music, int chunk = 1000) {
    std::vector<float> all, buffer(2 * static_cast<size_t>(chunk));
    for (int got; (got = readVorbisMusic(music, buffer.data(), chunk)) > 0;)
        all.insert(all.end(), buffer.begin(), buffer.begin() + 2 * got);
    return all;
}

// The spectrum of one channel (0, 1) or of the mix (2) of 2048 frames from first on.
std::vector<float> spectrumAt(const std::vector<float> &stereo, int64_t first, int channel) {
    std::vector<float> mono(kSpectrumWindow), out(kSpectrumSize);
    if (channel == 2) mixToMono(stereo.data() + 2 * first, kSpectrumWindow, 2, mono.data());
    for (int i = 0; channel < 2 && i < kSpectrumWindow; ++i)
        mono[i] = stereo[2 * (first + i) + channel];
    SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
    analyzeSpectrum(analyzer, mono.data(), out.data());
    destroySpectrumAnalyzer(analyzer);
    return out;
}

// The bin with the largest magnitude.
int peakBin(const std::vector<float> &spectrum) {
    return static_cast<int>(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin());
}

// A sine at bin's centre frequency on every channel.
SampleFunction binSine(int bin, double amplitude, int rate) {
    return [=](int64_t frame, int) { return sineAt(binHz(bin), amplitude, frame, rate); };
}

// ---------------------------------------------------------------- opening

TEST(Music, WhatDoesNotOpenSaysWhy) {
    TempDir dir;
    ASSERT_TRUE(writeBytes(dir.file("text.ogg"), "this is not music, only a text file\n"));
    ASSERT_TRUE(writeBytes(dir.file("empty.ogg"), ""));
    ASSERT_EQ(mkdir(dir.file("folder.ogg").c_str(), 0700), 0);
    struct Case {
        const char *name;
        VorbisOpenError error;
    };
    for (const Case &c : {Case{"missing.ogg", VorbisOpenError::kMissing},
                          Case{"text.ogg", VorbisOpenError::kNotVorbis},
                          Case{"empty.ogg", VorbisOpenError::kNotVorbis},
                          Case{"folder.ogg", VorbisOpenError::kUnreadable}}) {
        VorbisOpenError error = VorbisOpenError::kNone;
        VorbisMusic *music = openVorbisMusic(dir.file(c.name).c_str(), &error);
        EXPECT_EQ(music, nullptr) << c.name;
        closeVorbisMusic(music);
        EXPECT_EQ(error, c.error) << c.name << ": expected " << vorbisOpenErrorText(c.error)
                                  << ", got " << vorbisOpenErrorText(error);
    }
}

TEST(Music, AFileWithNoSamplesOpensAndReadsNothing) {
    TempDir dir;
    const std::string path = dir.file("silent.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 0}, binSine(10, 0.5, 44100)));
    Music m(path);
    ASSERT_NE(m.music, nullptr);
    EXPECT_EQ(vorbisMusicLength(m.music), 0);
    std::vector<float> buffer(200);
    EXPECT_EQ(readVorbisMusic(m.music, buffer.data(), 100), 0);
}

// ---------------------------------------------------------------- conversion

struct FormatCase {
    const char *name;
    int rate, channels;
    int64_t frames;
    double level;  // the bin's level: 0.3, less the silent LFE channel's share
};

class Conversion : public testing::TestWithParam<FormatCase> {};

TEST_P(Conversion, Gives44100HzStereoOfTheSameDurationAndPitch) {
    const FormatCase c = GetParam();
    TempDir dir;
    const std::string path = dir.file("tone.ogg");
    const int bin = 60;  // 1292 Hz
    OggFormat format{.rate = c.rate, .channels = c.channels, .frames = c.frames};
    // The encoder keeps only low frequencies on a 5.1 or 7.1 file's LFE, so that one is silent.
    const int lfe = c.channels == 6 || c.channels == 8 ? c.channels - 1 : -1;
    auto sample = [&](int64_t frame, int channel) {
        return channel == lfe ? 0.0f : sineAt(binHz(bin), 0.6, frame, c.rate);
    };
    ASSERT_TRUE(writeOgg(path, format, sample)) << c.name;
    Music m(path);
    ASSERT_NE(m.music, nullptr) << c.name;
    const VorbisMusicSource source = vorbisMusicSource(m.music);
    EXPECT_EQ(source.rate, c.rate) << c.name;
    EXPECT_EQ(source.channels, c.channels) << c.name;
    EXPECT_EQ(source.links, 1) << c.name;
    const int64_t expected = resampledLength(c.frames, c.rate);
    EXPECT_EQ(vorbisMusicLength(m.music), expected) << c.name << ": length from the pages";
    const std::vector<float> all = readAll(m.music);
    ASSERT_EQ(static_cast<int64_t>(all.size()) / 2, expected) << c.name << ": frames read";
    for (int channel : {0, 1}) {
        const std::vector<float> s = spectrumAt(all, expected / 2, channel);
        EXPECT_EQ(peakBin(s), bin) << c.name << ", channel " << channel;
        EXPECT_NEAR(s[bin], c.level, 0.02) << c.name << ", channel " << channel << ": level";
    }
}

// 5.1 sides weigh 3 with 0.5 of it the LFE's; 7.1 sides weigh 4 with 0.5 the LFE's.
INSTANTIATE_TEST_SUITE_P(Music, Conversion,
                         testing::Values(FormatCase{"stereo 44100 Hz", 44100, 2, 30000, 0.3},
                                         FormatCase{"mono", 44100, 1, 30000, 0.3},
                                         FormatCase{"5.1", 44100, 6, 30000, 0.3 * 2.5 / 3},
                                         FormatCase{"7.1 at 48 kHz", 48000, 8, 24000,
                                                    0.3 * 3.5 / 4},
                                         FormatCase{"8 kHz mono", 8000, 1, 8000, 0.3},
                                         FormatCase{"8 kHz stereo", 8000, 2, 7777, 0.3},
                                         FormatCase{"22050 Hz", 22050, 2, 11025, 0.3},
                                         FormatCase{"96 kHz", 96000, 2, 48000, 0.3}),
                         [](const auto &test) { return testName(test.param.name); });

TEST(Music, SurroundChannelsGoToTheirSides) {
    TempDir dir;
    const std::string path = dir.file("surround.ogg");
    // 5.1 in Vorbis order: front left, centre, front right, rear left, rear right, LFE.
    const int binOf[6] = {40, 120, 80, 0, 0, 0};
    auto sample = [&](int64_t frame, int channel) {
        return binOf[channel] ? sineAt(binHz(binOf[channel]), 0.6, frame, 44100) : 0.0f;
    };
    ASSERT_TRUE(writeOgg(path, {.channels = 6, .frames = 20000}, sample));
    Music m(path);
    const std::vector<float> all = readAll(m.music);
    ASSERT_EQ(all.size(), 40000u);
    const std::vector<float> left = spectrumAt(all, 9000, 0), right = spectrumAt(all, 9000, 1);
    // Each side's weights sum to 3: a side channel gives 1/3 of its level, the centre 1/6.
    EXPECT_NEAR(left[40], 0.1, 0.01) << "front left on the left";
    EXPECT_LT(right[40], 0.005) << "front left on the right";
    EXPECT_NEAR(right[80], 0.1, 0.01) << "front right on the right";
    EXPECT_LT(left[80], 0.005) << "front right on the left";
    EXPECT_NEAR(left[120], 0.05, 0.005) << "centre on the left";
    EXPECT_NEAR(right[120], 0.05, 0.005) << "centre on the right";
}

// ---------------------------------------------------------------- seeking

// Every seek target reads what a read from the start gives there.
void expectSeeksMatch(const std::string &path, const std::vector<int64_t> &targets) {
    Music whole(path), seeker(path);
    ASSERT_NE(whole.music, nullptr);
    const std::vector<float> all = readAll(whole.music);
    const int64_t frames = static_cast<int64_t>(all.size()) / 2;
    std::vector<float> got(2 * 3000);
    for (int64_t target : targets) {
        ASSERT_TRUE(seekVorbisMusic(seeker.music, target)) << "seek to " << target;
        const int count = readVorbisMusic(seeker.music, got.data(), 3000);
        ASSERT_EQ(count, std::min<int64_t>(3000, std::max<int64_t>(0, frames - target)))
            << "frames read after a seek to " << target;
        for (int i = 0; i < 2 * count; ++i)
            ASSERT_EQ(got[i], all[2 * target + i])
                << "seek to " << target << ", value " << i << " of " << path;
    }
}

class SeekAtRate : public testing::TestWithParam<int> {};

TEST_P(SeekAtRate, ReadsWhatAReadFromTheStartGives) {
    const int rate = GetParam();
    TempDir dir;
    const std::string path = dir.file("sweep.ogg");
    auto sweep = [rate](int64_t frame, int channel) {
        const double t = double(frame) / rate;
        return static_cast<float>(0.4 * std::sin(2 * 3.14159 * (200 + 900 * t) * t + channel));
    };
    ASSERT_TRUE(writeOgg(path, {.rate = rate, .frames = rate}, sweep));
    expectSeeksMatch(path, {20000, 0, 1, 4095, 12345, 44000, 43000, 44100, 50000});
}

INSTANTIATE_TEST_SUITE_P(Music, SeekAtRate, testing::Values(44100, 8000, 96000),
                         testing::PrintToStringParamName());

// ---------------------------------------------------------------- chains

TEST(Music, ChainedLinksOfOtherFormatsFollowEachOther) {
    TempDir dir;
    const std::string first = dir.file("first.ogg"), second = dir.file("second.ogg");
    ASSERT_TRUE(writeOgg(first, {.rate = 22050, .channels = 1, .frames = 22050, .serial = 7},
                         binSine(30, 0.5, 22050)));
    ASSERT_TRUE(writeOgg(second, {.rate = 48000, .channels = 2, .frames = 48000, .serial = 8},
                         binSine(90, 0.5, 48000)));
    const std::string chain = dir.file("chain.ogg");
    ASSERT_TRUE(writeBytes(chain, readBytes(first) + readBytes(second)));
    Music m(chain);
    ASSERT_NE(m.music, nullptr);
    EXPECT_EQ(vorbisMusicSource(m.music).links, 2);
    EXPECT_EQ(vorbisMusicLength(m.music), 88200);
    const std::vector<float> all = readAll(m.music);
    ASSERT_EQ(all.size(), 2u * 88200);
    EXPECT_EQ(peakBin(spectrumAt(all, 20000, 2)), 30) << "in the first link";
    EXPECT_EQ(peakBin(spectrumAt(all, 60000, 2)), 90) << "in the second link";
    expectSeeksMatch(chain, {44099, 44100, 43000, 70000, 0});
}

TEST(Music, HoursLongFileOpensAtOnceAndSeeksToItsLastMinutes) {
    TempDir dir;
    const std::string path = dir.file("hours.ogg");
    // Three hours: 36 chained links of one five-minute encoding at 8 kHz.
    const int64_t linkFrames = 5 * 60 * 8000;
    auto marker = [](int64_t frame, int) {
        return sineAt(binHz(20 + static_cast<int>(frame / 8000 % 50)), 0.5, frame, 8000);
    };
    ASSERT_TRUE(writeChainedOgg(
        path, {.rate = 8000, .channels = 1, .frames = linkFrames, .quality = 0.0f}, marker, 36));
    Music m(path);
    ASSERT_NE(m.music, nullptr);
    const int64_t linkLength = resampledLength(linkFrames, 8000);
    EXPECT_EQ(vorbisMusicLength(m.music), 36 * linkLength);
    // Second 4 of the last link plays the marker tone of second 4: bin 24.
    const int64_t at = 35 * linkLength + 4 * 44100 + 10000;
    ASSERT_TRUE(seekVorbisMusic(m.music, at));
    std::vector<float> got(2 * kSpectrumWindow);
    ASSERT_EQ(readVorbisMusic(m.music, got.data(), kSpectrumWindow), kSpectrumWindow);
    EXPECT_EQ(peakBin(spectrumAt(got, 0, 2)), 24);
    ASSERT_TRUE(seekVorbisMusic(m.music, 36 * linkLength - 100));
    EXPECT_EQ(readAll(m.music).size(), 200u) << "the last 100 frames";
}

// ---------------------------------------------------------------- damage

TEST(Music, ATruncatedFileEndsWhereItsDataEnds) {
    TempDir dir;
    const std::string path = dir.file("cut.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 88200}, withNoise(binSine(50, 0.5, 44100), 0.1)));
    ASSERT_TRUE(truncateFile(path, 0.6));
    Music m(path);
    ASSERT_NE(m.music, nullptr);
    const int64_t frames = static_cast<int64_t>(readAll(m.music).size()) / 2;
    EXPECT_GT(frames, 88200 / 3) << "frames read";
    EXPECT_LT(frames, 88200 * 4 / 5) << "frames read";
}

TEST(Music, ADamagedMiddleIsSkippedAndTheRestPlays) {
    TempDir dir;
    const std::string path = dir.file("damaged.ogg");
    // Two seconds of bin 40, then two of bin 160; damage a tenth of the file in the first half.
    auto twoTones = [](int64_t frame, int) {
        return sineAt(binHz(frame < 88200 ? 40 : 160), 0.5, frame, 44100);
    };
    ASSERT_TRUE(writeOgg(path, {.frames = 176400}, withNoise(twoTones, 0.1)));
    const size_t size = readBytes(path).size();
    ASSERT_TRUE(damageFile(path, 0.2, static_cast<int>(size / 10)));
    Music m(path);
    ASSERT_NE(m.music, nullptr);
    const std::vector<float> all = readAll(m.music);
    const int64_t frames = static_cast<int64_t>(all.size()) / 2;
    EXPECT_LT(frames, 176400) << "frames read: the hole's are gone";
    ASSERT_GT(frames, 88200 + 4 * kSpectrumWindow) << "frames read";
    EXPECT_EQ(peakBin(spectrumAt(all, 1000, 2)), 40) << "before the hole";
    EXPECT_EQ(peakBin(spectrumAt(all, frames - 3 * kSpectrumWindow, 2)), 160) << "at the end";
}

}  // namespace
