// Tests of the streaming music decoder on files written here: conversion of layouts and rates to
// 44100 Hz stereo, seeking, chains, damaged files, and bytes still arriving. Files that do not
// open, and why, are checked through the audio layer (show_audio_test.cpp), which says the
// decoder's reason.
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// Owns an open decoder for the length of a test.
struct Music {
    VorbisMusic *music;
    explicit Music(const std::string &path) : music(openVorbisMusic(path.c_str())) {}
    explicit Music(VorbisMusic *opened) : music(opened) {}
    ~Music() { closeVorbisMusic(music); }
};

// Reads everything left, 1000 frames at a time.
std::vector<float> readAll(VorbisMusic *music) {
    std::vector<float> all, buffer(2 * 1000);
    for (int got; (got = readVorbisMusic(music, buffer.data(), 1000)) > 0;)
        all.insert(all.end(), buffer.begin(), buffer.begin() + 2 * got);
    return all;
}

// After a seek to each target, music reads what all, a read from the start, gives there (before
// the start: the start).
void expectSeeksMatch(VorbisMusic *music, const std::vector<float> &all,
                      const std::vector<int64_t> &targets) {
    const auto frames = static_cast<int64_t>(all.size()) / 2;
    for (int64_t target : targets) {
        ASSERT_TRUE(seekVorbisMusic(music, target)) << "seek to " << target;
        std::vector<float> got(2 * 3000);
        got.resize(2 * readVorbisMusic(music, got.data(), 3000));
        const int64_t from = std::clamp<int64_t>(target, 0, frames),
                      to = std::min(frames, from + 3000);
        EXPECT_EQ(firstDifference(got, {all.begin() + 2 * from, all.begin() + 2 * to}), "")
            << "after a seek to " << target;
    }
}

// Every layout and rate reads as 44100 Hz stereo of the same duration and pitch, and seeks read
// what a read from the start gives. The encoder keeps only low frequencies on a 5.1 or 7.1
// file's LFE, so that one is silent, and the level is 0.3 less its share: 0.5 of each side's 3
// in 5.1, of 4 in 7.1. The first channel (left, or mono's only one) also plays bin 40, which
// must come out on its side only. A little noise keeps a seek's frames from matching others.
// Chained, the files with frames read one after another, and seeks land across their joins.
TEST(Music, EveryLayoutAndRateReadsAs44100HzStereoAndSeeks) {
    // Name, rate, channels, frames, the level at the tone's bin.
    const std::tuple<const char *, int, int, int64_t, double> cases[] = {
        {"stereo", 44100, 2, 30000, 0.3},
        {"no samples", 44100, 2, 0, 0.0},
        {"mono", 44100, 1, 30000, 0.3},
        {"5.1", 44100, 6, 30000, 0.3 * 2.5 / 3},
        {"7.1 at 48 kHz", 48000, 8, 24000, 0.3 * 3.5 / 4},
        {"8 kHz mono", 8000, 1, 8000, 0.3},
        {"8 kHz stereo", 8000, 2, 7777, 0.3},
        {"22050 Hz", 22050, 2, 11025, 0.3},
        {"96 kHz", 96000, 2, 48000, 0.3}};
    const int bin = 60;  // 1292 Hz
    TempDir dir;
    std::string chain;
    std::vector<float> chained;
    std::vector<int64_t> joins = {0};
    int serial = 1;  // each link of the chain its own
    for (const auto &[name, rate, channels, frames, level] : cases) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(std::string(name) + ".ogg");
        const int lfe = channels == 6 || channels == 8 ? channels - 1 : -1;
        auto tone = [lfe, at = rate](int64_t frame, int channel) {
            return (channel == lfe ? 0.0f : sineAt(binHz(bin), 0.6, frame, at)) +
                   (channel == 0 ? sineAt(binHz(40), 0.2, frame, at) : 0.0f);
        };
        const OggFormat format{
            .rate = rate, .channels = channels, .frames = frames, .serial = serial++};
        ASSERT_TRUE(writeOgg(path, format, withNoise(tone, 0.01)));
        Music m(path);
        ASSERT_NE(m.music, nullptr);
        const int64_t expected = resampledLength(frames, rate);
        EXPECT_EQ(vorbisMusicLength(m.music), expected) << "the length from the pages";
        const std::vector<float> all = readAll(m.music);
        EXPECT_EQ(static_cast<int64_t>(all.size()) / 2, expected) << "frames read";
        for (int channel = 0; expected > 0 && channel < 2; ++channel) {
            const std::vector<float> s = spectrumAt(all, expected / 2, channel);
            EXPECT_EQ(peakBin(s), bin) << "channel " << channel;
            EXPECT_NEAR(s[bin], level, 0.02) << "channel " << channel << ": level";
            EXPECT_EQ(s[40] > 0.01, channel == 0 || channels == 1)
                << "channel " << channel << ": the first channel's own tone, bin 40";
        }
        expectSeeksMatch(
            m.music, all,
            {20000, 0, 1, 4095, 12345, expected - 100, expected - 1100, expected, expected + 5900});
        if (expected == 0) continue;
        chain += readBytes(path);
        chained.insert(chained.end(), all.begin(), all.end());
        joins.insert(joins.end(), {int64_t(chained.size() / 2) - 1, int64_t(chained.size() / 2)});
    }
    const std::string path = dir.file("chain.ogg");
    ASSERT_TRUE(writeBytes(path, chain));
    Music m(path);
    ASSERT_NE(m.music, nullptr);
    EXPECT_EQ(vorbisMusicSource(m.music).links, 8);
    EXPECT_EQ(vorbisMusicLength(m.music), int64_t(chained.size() / 2));
    EXPECT_EQ(firstDifference(readAll(m.music), chained), "") << "the chain";
    expectSeeksMatch(m.music, chained, joins);
}

// Two seconds of bin 40, then two of bin 160, cut short or with a tenth in the first half
// overwritten by Zs (no capture pattern, so the pages there are lost): the damaged part is lost,
// what is before and after it plays.
TEST(Music, DamagedFilesPlayWhatIsLeft) {
    auto twoTones = [](int64_t frame, int) {
        return sineAt(binHz(frame < 88200 ? 40 : 160), 0.5, frame, 44100);
    };
    TempDir dir;
    const std::string path = dir.file("damaged.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 176400}, withNoise(twoTones, 0.1)));
    const std::string bytes = readBytes(path);
    const size_t tenth = bytes.size() / 10;
    for (const bool cut : {true, false}) {
        const char *name = cut ? "cut" : "overwritten";
        ASSERT_TRUE(
            writeBytes(path, cut ? bytes.substr(0, 7 * tenth)
                                 : std::string(bytes).replace(2 * tenth, tenth, tenth, 'Z')));
        Music m(path);
        ASSERT_NE(m.music, nullptr) << name;
        const std::vector<float> all = readAll(m.music);
        const int64_t frames = static_cast<int64_t>(all.size()) / 2;
        EXPECT_LT(frames, cut ? 176400 * 4 / 5 : 176400)
            << name << ": frames read, the lost ones gone";
        ASSERT_GT(frames, 88200 + 4 * kSpectrumWindow) << name << ": frames read";
        EXPECT_EQ(peakBin(spectrumAt(all, 1000, 2)), 40) << name << ": at the start";
        EXPECT_EQ(peakBin(spectrumAt(all, frames - 3 * kSpectrumWindow, 2)), 160)
            << name << ": at the end";
    }
}

// Bytes that are not Ogg are refused however few have come; Ogg's first bytes wait for more.
// Opened with a fifth of its bytes here, music reads as far as they go and waits; it starts over
// while they arrive but seeks nowhere else, and seeks anywhere once all are here. (Whole answers
// that are not Ogg, and reading on as the bytes come, are the player's test.)
TEST(Music, ArrivingBytesReadAsFarAsTheyGo) {
    TempDir dir;
    const std::string path = dir.file("tone.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 3 * 44100}, withNoise(binTone(60, 0.5, 44100), 0.2)));
    const std::string ogg = readBytes(path), page = "<!doctype html><p>Not found</p>";
    const std::tuple<const std::string *, size_t, VorbisOpenError> early[] = {
        {&page, 8, VorbisOpenError::kNotVorbis},
        {&ogg, 0, VorbisOpenError::kIncomplete},
        {&ogg, 100, VorbisOpenError::kIncomplete}};
    for (const auto &[bytes, arrived, expected] : early) {
        ArrivingBytes a(*bytes, arrived);
        VorbisOpenError error = VorbisOpenError::kNone;
        EXPECT_EQ(openVorbisMusicBytes(&a.bytes, &error), nullptr) << arrived << " bytes";
        EXPECT_EQ(error, expected) << arrived << " bytes";
    }
    const std::vector<float> all = readAll(Music(path).music);
    ArrivingBytes a(ogg, ogg.size() / 5);
    Music m(openVorbisMusicBytes(&a.bytes));
    ASSERT_NE(m.music, nullptr);
    EXPECT_FALSE(seekVorbisMusic(m.music, 1000)) << "a seek before all are here";
    EXPECT_FALSE(readAll(m.music).empty()) << "frames while arriving";
    EXPECT_TRUE(vorbisMusicWaiting(m.music)) << "the bytes ran out";
    ASSERT_TRUE(seekVorbisMusic(m.music, 0)) << "back to the start while arriving";
    a.arrived = ogg.size();
    EXPECT_EQ(firstDifference(readAll(m.music), all), "") << "from the start once all are here";
    EXPECT_FALSE(vorbisMusicWaiting(m.music)) << "at the end";
    expectSeeksMatch(m.music, all, {30000});
}

}  // namespace
