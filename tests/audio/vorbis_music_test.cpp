// Tests of the music decoder: its conversions (the downmix weights, and the rate converter's
// length, level, frequency, filtering, timing and independence of how the source arrives), then
// the streaming decoder on files written here: conversion of layouts and rates to 44100 Hz stereo,
// seeking, chains, damaged files, and bytes still arriving. Files that do not open, and why, are
// checked through the audio layer (show_audio_test.cpp), which says the decoder's reason.
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// ---------------------------------------------------------------- its conversions

// Each channel's weights on the left and the right. Sides L, R count 1 and centres 0.5, each
// side divided by its total: LCR totals 1.5 a side, 5.1 (L C R RL RR LFE) 3, 7.1 (L C R SL SR RL
// RR LFE) 4; over eight channels, all are centres.
TEST(Convert, DownmixPutsEachChannelOnItsSide) {
    const float third = 1.0f / 3, sixth = 1.0f / 6, tenth = 0.1f;
    const std::pair<int, std::vector<float>> cases[] = {
        {1, {1, 1}},
        {2, {1, 0, 0, 1}},
        {3, {2 * third, 0, third, third, 0, 2 * third}},
        {4, {0.5f, 0, 0, 0.5f, 0.5f, 0, 0, 0.5f}},
        {6, {third, 0, sixth, sixth, 0, third, third, 0, 0, third, sixth, sixth}},
        {8,
         {0.25f, 0, 0.125f, 0.125f, 0, 0.25f, 0.25f, 0, 0, 0.25f, 0.25f, 0, 0, 0.25f, 0.125f,
          0.125f}},
        {10, std::vector<float>(20, tenth)}};
    for (const auto &[channels, weights] : cases) {
        // Channel c carries 1.0 in frame c, so frame c of the output holds its weights.
        std::vector<float> planes(channels * channels, 0.0f), stereo(2 * channels, -9.0f);
        std::vector<const float *> planar;
        for (int c = 0; c < channels; ++c) planar.push_back(planes.data() + c * channels);
        for (int c = 0; c < channels; ++c) planes[c * channels + c] = 1.0f;
        downmixToStereo(planar.data(), channels, channels, stereo.data());
        for (size_t i = 0; i < stereo.size(); ++i)
            EXPECT_NEAR(stereo[i], weights[i], 1e-6)
                << channels << " channels, channel " << i / 2 << (i % 2 ? ", right" : ", left");
    }
}

TEST(Convert, TheLengthCoversTheSourcesDuration) {
    // Source frames, rate, output frames.
    const std::tuple<int64_t, int, int64_t> cases[] = {
        {44100, 44100, 44100}, {0, 8000, 0},  {8000, 8000, 44100}, {1, 8000, 6},
        {96000, 96000, 44100}, {1, 96000, 1}, {3, 88200, 2},       {476280000, 48000, 437582250}};
    for (const auto &[source, rate, output] : cases)
        EXPECT_EQ(resampledLength(source, rate), output)
            << source << " frames at " << rate << " Hz";
}

// Runs source (interleaved stereo) through a converter in pushes of chunk frames; all output.
std::vector<float> convert(const std::vector<float> &source, int rate, int chunk) {
    StereoResampler r;
    resamplerStart(r, rate, 0);
    std::vector<float> out, buffer(2 * 512);
    for (int64_t pushed = 0; !resamplerDone(r);) {
        const int got = resamplerPull(r, buffer.data(), 512);
        out.insert(out.end(), buffer.begin(), buffer.begin() + 2 * got);
        if (got == 512) continue;
        const auto count =
            static_cast<int>(std::min<int64_t>(chunk, int64_t(source.size() / 2) - pushed));
        count ? resamplerPush(r, source.data() + 2 * pushed, count) : resamplerEnd(r);
        pushed += count;
    }
    return out;
}

// A stereo sine: left at hz, right at hz with the opposite sign.
std::vector<float> stereoSine(double hz, double amplitude, int64_t frames, int rate) {
    std::vector<float> s(2 * frames);
    for (int64_t i = 0; i < frames; ++i)
        s[2 * i + 1] = -(s[2 * i] = sineAt(hz, amplitude, i, rate));
    return s;
}

class RateConversion : public testing::TestWithParam<int> {};

// At 44100 Hz the converter copies; at other rates it keeps the length, level and frequency,
// puts an impulse where its time falls, and gives the same output however the source arrives.
// (Starts midway are the decoder's seeks.)
TEST_P(RateConversion, KeepsLengthLevelPitchAndTimingHoweverTheSourceArrives) {
    const int rate = GetParam(), bin = 60;  // 1292 Hz: below every tested source's Nyquist rate
    const int64_t frames = rate / 2;
    std::vector<float> source = stereoSine(binHz(bin), 0.8, frames, rate);
    const std::vector<float> whole = convert(source, rate, 1000);
    ASSERT_EQ(static_cast<int64_t>(whole.size()) / 2, resampledLength(frames, rate))
        << "output frames";
    EXPECT_EQ(rate == 44100 ? firstDifference(whole, source) : "", "") << "a copy";
    for (int channel : {0, 1}) {
        const std::vector<float> s = spectrumAt(whole, 8000, channel);
        EXPECT_EQ(peakBin(s), bin) << "channel " << channel;
        EXPECT_NEAR(s[bin], 0.4, 0.004) << "channel " << channel << ": level at the bin";
    }
    for (int chunk : {1, 7, 333, kResamplerPushFrames})
        EXPECT_EQ(firstDifference(convert(source, rate, chunk), whole), "")
            << "in pushes of " << chunk;
    // An impulse at 0.2 s alone, frame 8820 at 44100 Hz.
    std::fill(source.begin(), source.end(), 0.0f);
    source[2 * (rate / 5)] = source[2 * (rate / 5) + 1] = 1.0f;
    const std::vector<float> out = convert(source, rate, 999);
    const auto loudest = std::max_element(
        out.begin(), out.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_NEAR(double(loudest - out.begin()) / 2, 8820.0, 1.0) << "frame of the impulse's peak";
}

INSTANTIATE_TEST_SUITE_P(Convert, RateConversion,
                         testing::Values(8000, 11025, 22050, 32000, 44100, 48000, 96000));

// 30 kHz would fold back to 14.1 kHz at 44100 Hz (200 frames at each end are the filter's edges).
TEST(Convert, FromNinetySixKilohertzTonesAboveTheOutputsRangeAreFilteredOut) {
    const std::vector<float> out = convert(stereoSine(30000.0, 0.9, 48000, 96000), 96000, 4096);
    const auto [low, high] = std::minmax_element(out.begin() + 400, out.end() - 400);
    EXPECT_LT(std::max(-*low, *high), 0.01f) << "the folded tone";
}

// ---------------------------------------------------------------- the decoder

// Owns an open decoder for the length of a test.
using Music = std::unique_ptr<VorbisMusic, decltype(&closeVorbisMusic)>;

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
        const Music m(openVorbisMusic(path.c_str()), closeVorbisMusic);
        ASSERT_NE(m, nullptr);
        const int64_t expected = resampledLength(frames, rate);
        EXPECT_EQ(vorbisMusicLength(m.get()), expected) << "the length from the pages";
        const std::vector<float> all = readAll(m.get());
        EXPECT_EQ(static_cast<int64_t>(all.size()) / 2, expected) << "frames read";
        for (int channel = 0; expected > 0 && channel < 2; ++channel) {
            const std::vector<float> s = spectrumAt(all, expected / 2, channel);
            EXPECT_EQ(peakBin(s), bin) << "channel " << channel;
            EXPECT_NEAR(s[bin], level, 0.02) << "channel " << channel << ": level";
            EXPECT_EQ(s[40] > 0.01, channel == 0 || channels == 1)
                << "channel " << channel << ": the first channel's own tone, bin 40";
        }
        expectSeeksMatch(
            m.get(), all,
            {20000, 0, 1, 4095, 12345, expected - 100, expected - 1100, expected, expected + 5900});
        if (expected == 0) continue;
        chain += readBytes(path);
        chained.insert(chained.end(), all.begin(), all.end());
        joins.insert(joins.end(), {int64_t(chained.size() / 2) - 1, int64_t(chained.size() / 2)});
    }
    const std::string path = dir.file("chain.ogg");
    ASSERT_TRUE(writeBytes(path, chain));
    const Music m(openVorbisMusic(path.c_str()), closeVorbisMusic);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(vorbisMusicSource(m.get()).links, 8);
    EXPECT_EQ(vorbisMusicLength(m.get()), int64_t(chained.size() / 2));
    EXPECT_EQ(firstDifference(readAll(m.get()), chained), "") << "the chain";
    expectSeeksMatch(m.get(), chained, joins);
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
        const Music m(openVorbisMusic(path.c_str()), closeVorbisMusic);
        ASSERT_NE(m, nullptr) << name;
        const std::vector<float> all = readAll(m.get());
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
    const std::vector<float> all = decodedFrames(path, 0, 3 * 44100);
    ArrivingBytes a(ogg, ogg.size() / 5);
    const Music m(openVorbisMusicBytes(&a.bytes), closeVorbisMusic);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(seekVorbisMusic(m.get(), 1000)) << "a seek before all are here";
    EXPECT_FALSE(readAll(m.get()).empty()) << "frames while arriving";
    EXPECT_TRUE(vorbisMusicWaiting(m.get())) << "the bytes ran out";
    ASSERT_TRUE(seekVorbisMusic(m.get(), 0)) << "back to the start while arriving";
    a.arrived = ogg.size();
    EXPECT_EQ(firstDifference(readAll(m.get()), all), "") << "from the start once all are here";
    EXPECT_FALSE(vorbisMusicWaiting(m.get())) << "at the end";
    expectSeeksMatch(m.get(), all, {30000});
}

}  // namespace
