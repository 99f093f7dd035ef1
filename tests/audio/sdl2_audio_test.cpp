// Tests of the audio layer through SDL's real audio path, with its dummy driver (or its disk
// driver where the output itself is checked), on files written here: play and read, volume,
// the end of the stream, files that cannot play, bad files, and shutdown in any order.
#include "platform/sdl2/sdl2_audio.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kWaitSeconds = 20.0;  // the longest any test waits for the device

// One audio layer over SDL, freed at the end of the test.
struct Layer {
    Sdl2Audio state;
    ShowAudio audio = sdl2Audio(&state);
    Layer() = default;
    Layer(const Layer &) = delete;
    Layer &operator=(const Layer &) = delete;
    ~Layer() { audio.free(audio.user); }

    bool init() { return audio.init(audio.user, 1, 44100, 0); }
    uint32_t open(const std::string &path) {
        return audio.streamCreateFile(audio.user, path.c_str(), 0, 0, 0);
    }
    bool play(uint32_t handle, bool restart = false) {
        return audio.channelPlay(audio.user, handle, restart);
    }
    int32_t read(uint32_t handle, float *spectrum) {
        return audio.channelGetData(audio.user, handle, spectrum, kAudioDataFft2048);
    }
    int64_t heard() { return sdl2AudioHeardFrame(state); }
};

// Polls done every 2 ms until it holds or kWaitSeconds pass; whether it held.
bool waitFor(const std::function<bool()> &done) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kWaitSeconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The bin with the largest magnitude.
int peakBin(const std::vector<float> &spectrum) {
    return static_cast<int>(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin());
}

// A sine at bin's centre frequency on every channel.
SampleFunction binSine(int bin, double amplitude, int rate) {
    return [=](int64_t frame, int) { return sineAt(binHz(bin), amplitude, frame, rate); };
}

// Every test starts on SDL's dummy driver, which plays in real time to nowhere.
class Audio : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_FALSE(dir.path.empty()) << "no temporary folder";
    }
    TempDir dir;
};

// ---------------------------------------------------------------- play and read

TEST_F(Audio, ReportsTheInterfaceVersion) {
    Layer layer;
    EXPECT_EQ(layer.audio.getVersion(layer.audio.user), kAudioVersion);
}

struct ToneCase {
    const char *name;
    int rate, channels, bin;
    double level;  // 0.25, less a silent LFE channel's share
};

// Test listings show a case by its name.
void PrintTo(const ToneCase &c, std::ostream *out) {
    *out << c.name;
}

class PlayedTone : public Audio, public testing::WithParamInterface<ToneCase> {};

TEST_P(PlayedTone, ReadsAsAPeakAtItsBin) {
    const ToneCase c = GetParam();
    const std::string path = dir.file("tone.ogg");
    // The encoder keeps only low frequencies on a 5.1 file's LFE, so that one is silent.
    auto sample = [&](int64_t frame, int channel) {
        return c.channels == 6 && channel == 5 ? 0.0f : sineAt(binHz(c.bin), 0.5, frame, c.rate);
    };
    ASSERT_TRUE(
        writeOgg(path, {.rate = c.rate, .channels = c.channels, .frames = c.rate * 2}, sample));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_NE(handle, 0u) << c.name;
    ASSERT_TRUE(layer.play(handle)) << c.name;
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 8192; })) << c.name << ": never played";
    std::vector<float> spectrum(kSpectrumSize, -1.0f);
    ASSERT_EQ(layer.read(handle, spectrum.data()), 4096) << c.name;
    EXPECT_EQ(peakBin(spectrum), c.bin) << c.name;
    EXPECT_NEAR(spectrum[c.bin], c.level, 0.02) << c.name << ": level at the bin";
}

INSTANTIATE_TEST_SUITE_P(Audio, PlayedTone,
                         testing::Values(ToneCase{"stereo", 44100, 2, 100, 0.25},
                                         ToneCase{"mono", 44100, 1, 300, 0.25},
                                         ToneCase{"5.1", 44100, 6, 200, 0.25 * 2.5 / 3},
                                         ToneCase{"8 kHz", 8000, 1, 60, 0.25},
                                         ToneCase{"96 kHz", 96000, 2, 400, 0.25}),
                         [](const auto &test) { return testName(test.param.name); });

TEST_F(Audio, TheReadIsTheSpectrumOfTheFramesTheListenerHearsNow) {
    const std::string path = dir.file("sweep.ogg");
    auto sweep = [](int64_t frame, int channel) {
        const double t = double(frame) / 44100;
        return static_cast<float>(0.5 * std::sin(2 * 3.14159 * (300 + 2000 * t) * t + channel));
    };
    ASSERT_TRUE(writeOgg(path, {.frames = 88200}, sweep));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(layer.heard(), -layer.state.obtained.samples) << "before playing";
    ASSERT_TRUE(layer.play(handle));
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 22050; }));
    ASSERT_TRUE(layer.audio.stop(layer.audio.user));  // holds the heard position
    const int64_t heard = layer.heard();
    ASSERT_LT(heard, 88200 - kSpectrumWindow);
    std::vector<float> got(kSpectrumSize);
    ASSERT_EQ(layer.read(handle, got.data()), 4096);

    // The same frames straight from the decoder, and frames a little off for contrast.
    VorbisMusic *music = openVorbisMusic(path.c_str());
    ASSERT_NE(music, nullptr);
    auto spectrumFrom = [&](int64_t first) {
        std::vector<float> stereo(2 * kSpectrumWindow), mono(kSpectrumWindow);
        std::vector<float> out(kSpectrumSize);
        seekVorbisMusic(music, first);
        readVorbisMusic(music, stereo.data(), kSpectrumWindow);
        mixToMono(stereo.data(), kSpectrumWindow, 2, mono.data());
        SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
        analyzeSpectrum(analyzer, mono.data(), out.data());
        destroySpectrumAnalyzer(analyzer);
        return out;
    };
    const std::vector<float> expected = spectrumFrom(heard), off = spectrumFrom(heard + 512);
    closeVorbisMusic(music);
    float offBy = 0.0f;
    for (int k = 0; k < kSpectrumSize; ++k) {
        EXPECT_FLOAT_EQ(got[k], expected[k]) << "bin " << k << " at heard frame " << heard;
        offBy = std::max(offBy, std::abs(off[k] - expected[k]));
    }
    EXPECT_GT(offBy, 0.05f) << "the sweep must tell frames 512 apart";
}

// ---------------------------------------------------------------- volume and output

struct OutputCase {
    const char *name;
    SDL_AudioFormat format;
    uint32_t volume;
    float tolerance;  // the device format's rounding
};

// Test listings show a case by its name.
void PrintTo(const OutputCase &c, std::ostream *out) {
    *out << c.name;
}

class Output : public Audio, public testing::WithParamInterface<OutputCase> {};

// A float sample from the disk driver's output in format.
float sampleOf(const std::string &bytes, size_t index, SDL_AudioFormat format) {
    if (format == AUDIO_S16SYS) {
        int16_t v;
        std::memcpy(&v, bytes.data() + 2 * index, 2);
        return v / 32768.0f;
    }
    float v;
    std::memcpy(&v, bytes.data() + 4 * index, 4);
    return v;
}

TEST_P(Output, CarriesTheStreamAtTheVolumeWhileTheSpectrumIgnoresIt) {
    const OutputCase c = GetParam();
    const std::string path = dir.file("tone.ogg"), out = dir.file("out.raw");
    ASSERT_TRUE(writeOgg(path, {.frames = 30000}, binSine(150, 0.5, 44100)));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // a buffer a millisecond: faster than real time
    std::vector<float> decoded(2 * 30000);
    {
        Layer layer;
        layer.state.requestedFormat = c.format;
        ASSERT_TRUE(layer.init());
        ASSERT_EQ(layer.state.obtained.format, c.format) << c.name;
        const uint32_t handle = layer.open(path);
        ASSERT_NE(handle, 0u);
        EXPECT_TRUE(layer.audio.setVolume(layer.audio.user, c.volume));
        ASSERT_TRUE(layer.play(handle));
        ASSERT_TRUE(waitFor([&] { return layer.heard() >= 8192; }));
        std::vector<float> spectrum(kSpectrumSize);
        ASSERT_EQ(layer.read(handle, spectrum.data()), 4096);
        EXPECT_EQ(peakBin(spectrum), 150) << c.name;
        EXPECT_NEAR(spectrum[150], 0.25, 0.02) << c.name << ": the spectrum at full level";
        ASSERT_TRUE(waitFor([&] { return layer.read(handle, spectrum.data()) < 0; }));
        VorbisMusic *music = openVorbisMusic(path.c_str());
        ASSERT_EQ(readVorbisMusic(music, decoded.data(), 30000), 30000);
        closeVorbisMusic(music);
    }
    const std::string bytes = readBytes(out);
    const size_t frameBytes = 2 * SDL_AUDIO_BITSIZE(c.format) / 8;
    const size_t frames = bytes.size() / frameBytes;
    ASSERT_GE(frames, 30000u) << c.name << ": the whole stream went out";
    // Silence while the device waited, in whole buffers, then the stream from its first frame.
    size_t lead = 0;
    while (lead < frames && sampleOf(bytes, 2 * lead, c.format) == 0.0f &&
           sampleOf(bytes, 2 * lead + 1, c.format) == 0.0f)
        ++lead;
    const float gain = static_cast<float>(c.volume) / 100.0f;
    if (c.volume == 0) {
        EXPECT_EQ(lead, frames) << c.name << ": all silent";
        return;
    }
    size_t quiet = 0;  // the stream's own silent start
    while (decoded[2 * quiet] == 0.0f && decoded[2 * quiet + 1] == 0.0f) ++quiet;
    ASSERT_GE(lead, quiet);
    EXPECT_EQ((lead - quiet) % static_cast<size_t>(kAudioDeviceFrames), 0u)
        << c.name << ": " << lead << " silent frames before the first sound";
    const size_t start = lead - quiet;
    ASSERT_GE(frames - start, 30000u) << c.name;
    for (size_t i = 0; i < 2 * 30000; ++i) {
        const float got = sampleOf(bytes, 2 * start + i, c.format);
        ASSERT_NEAR(got, decoded[i] * gain, c.tolerance) << c.name << ", value " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, Output,
                         testing::Values(OutputCase{"float", AUDIO_F32SYS, 100, 0.0f},
                                         OutputCase{"float at half volume", AUDIO_F32SYS, 50,
                                                    1e-7f},
                                         OutputCase{"float silenced", AUDIO_F32SYS, 0, 0.0f},
                                         OutputCase{"16-bit", AUDIO_S16SYS, 100, 1.5f / 32768},
                                         OutputCase{"16-bit silenced", AUDIO_S16SYS, 0, 0.0f}),
                         [](const auto &test) { return testName(test.param.name); });

// ---------------------------------------------------------------- the end of the stream

TEST_F(Audio, AfterTheEndReadsFailAndLeaveTheSpectrumAsItWas) {
    const std::string path = dir.file("short.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 44100}, binSine(77, 0.5, 44100)));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(layer.play(handle));
    std::vector<float> spectrum(kSpectrumSize);
    int reads = 0;
    int32_t result = 0;
    ASSERT_TRUE(waitFor([&] {
        std::fill(spectrum.begin(), spectrum.end(), 7.5f);
        result = layer.read(handle, spectrum.data());
        reads += result == 4096;
        return result != 4096;
    }));
    EXPECT_EQ(result, -1);
    EXPECT_GT(reads, 0) << "reads before the end";
    EXPECT_GE(layer.heard(), 44100) << "the heard frame at the failing read";
    for (int k = 0; k < kSpectrumSize; ++k)
        ASSERT_EQ(spectrum[k], 7.5f) << "bin " << k << " after a failing read";
    EXPECT_EQ(layer.read(handle, spectrum.data()), -1) << "a second read after the end";

    // Played again, it starts from its first frame.
    ASSERT_TRUE(layer.play(handle));
    ASSERT_TRUE(layer.audio.stop(layer.audio.user));
    EXPECT_LT(layer.heard(), 44100) << "after playing it again";
    EXPECT_EQ(layer.read(handle, spectrum.data()), 4096) << "after playing it again";
}

// ---------------------------------------------------------------- files that do not play

TEST_F(Audio, NoFileGivesNoStreamAndOneLine) {
    Layer layer;
    ASSERT_TRUE(layer.init());
    testing::internal::CaptureStderr();
    const uint32_t handle = layer.open(dir.file("qx-331b_051224.ogg"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("no such file"), std::string::npos) << said;
    std::vector<float> spectrum(kSpectrumSize, 3.25f);
    EXPECT_EQ(layer.read(0, spectrum.data()), -1);
    EXPECT_FALSE(layer.play(0));
    EXPECT_TRUE(layer.audio.setVolume(layer.audio.user, 0));
    for (int k = 0; k < kSpectrumSize; ++k) ASSERT_EQ(spectrum[k], 3.25f) << "bin " << k;
}

struct BadFileCase {
    const char *name;
    std::function<bool(const std::string &path)> make;
};

// Test listings show a case by its name.
void PrintTo(const BadFileCase &c, std::ostream *out) {
    *out << c.name;
}

class Unplayable : public Audio, public testing::WithParamInterface<BadFileCase> {};

TEST_P(Unplayable, GivesNoStreamAndOneLineOnStandardError) {
    const BadFileCase &c = GetParam();
    const std::string path = dir.file("music.ogg");
    ASSERT_TRUE(c.make(path)) << c.name;
    Layer layer;
    ASSERT_TRUE(layer.init());
    testing::internal::CaptureStderr();
    const uint32_t handle = layer.open(path);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(handle, 0u) << c.name;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name << ": said " << said;
    EXPECT_NE(said.find(path), std::string::npos) << c.name << ": said " << said;
    std::vector<float> spectrum(kSpectrumSize, 3.25f);
    EXPECT_EQ(layer.read(handle, spectrum.data()), -1) << c.name;
    EXPECT_EQ(spectrum[0], 3.25f) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Audio, Unplayable,
    testing::Values(
        BadFileCase{"not Ogg at all", [](const std::string &p) { return writeBytes(p, "RIFF"); }},
        BadFileCase{"empty", [](const std::string &p) { return writeBytes(p, ""); }},
        BadFileCase{"Vorbis with no samples",
                    [](const std::string &p) {
                        return writeOgg(p, {.frames = 0}, binSine(5, 0.1, 44100));
                    }},
        BadFileCase{"a folder",
                    [](const std::string &p) { return std::system(("mkdir " + p).c_str()) == 0; }}),
    [](const auto &test) { return testName(test.param.name); });

// A tone with noise: enough bytes a second for many pages to damage.
SampleFunction noisyTone() {
    return withNoise(binSine(9, 0.5, 44100), 0.1);
}

class BadButPlayable : public Audio, public testing::WithParamInterface<BadFileCase> {};

TEST_P(BadButPlayable, PlaysToItsEndAndStops) {
    const BadFileCase &c = GetParam();
    const std::string path = dir.file("music.ogg");
    ASSERT_TRUE(c.make(path)) << c.name;
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_NE(handle, 0u) << c.name;
    ASSERT_TRUE(layer.play(handle)) << c.name;
    std::vector<float> spectrum(kSpectrumSize);
    int reads = 0;
    EXPECT_TRUE(waitFor([&] {
        const bool read = layer.read(handle, spectrum.data()) == 4096;
        reads += read;
        return !read;
    })) << c.name
        << ": never ended";
    EXPECT_GT(reads, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Audio, BadButPlayable,
    testing::Values(BadFileCase{"truncated",
                                [](const std::string &p) {
                                    return writeOgg(p, {.frames = 40000}, noisyTone()) &&
                                           truncateFile(p, 0.55);
                                }},
                    BadFileCase{"damaged in the middle",
                                [](const std::string &p) {
                                    return writeOgg(p, {.frames = 40000}, noisyTone()) &&
                                           damageFile(p, 0.5, 3000);
                                }},
                    BadFileCase{"damaged from the middle on",
                                [](const std::string &p) {
                                    if (!writeOgg(p, {.frames = 40000}, noisyTone())) return false;
                                    const size_t size = readBytes(p).size();
                                    return damageFile(p, 0.4, static_cast<int>(size * 0.6));
                                }}),
    [](const auto &test) { return testName(test.param.name); });

TEST_F(Audio, HoursLongFileStartsAtOnce) {
    const std::string path = dir.file("hours.ogg");
    // Four hours: 48 chained links of one five-minute encoding.
    ASSERT_TRUE(writeChainedOgg(
        path, {.rate = 8000, .channels = 1, .frames = 5 * 60 * 8000, .quality = 0.0f},
        binSine(50, 0.5, 8000), 48));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(layer.play(handle));
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 4096; }));
    std::vector<float> spectrum(kSpectrumSize);
    ASSERT_EQ(layer.read(handle, spectrum.data()), 4096);
    EXPECT_EQ(peakBin(spectrum), 50);
}

// ---------------------------------------------------------------- devices and shutdown

TEST_F(Audio, WithoutADeviceTheShowRunsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const std::string path = dir.file("tone.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 4410}, binSine(9, 0.5, 44100)));
    Layer layer;
    testing::internal::CaptureStderr();
    const bool started = layer.init();
    const uint32_t handle = layer.open(path);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(started);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said " << said;
    std::vector<float> spectrum(kSpectrumSize, 1.5f);
    EXPECT_EQ(layer.read(handle, spectrum.data()), -1);
    EXPECT_EQ(spectrum[10], 1.5f);
    EXPECT_FALSE(layer.play(handle));
    EXPECT_FALSE(layer.audio.stop(layer.audio.user));
    EXPECT_FALSE(layer.audio.free(layer.audio.user));
}

TEST_F(Audio, StopAndFreeTwiceOrWithoutInitAreHarmless) {
    const std::string path = dir.file("tone.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 44100}, binSine(9, 0.5, 44100)));
    Layer fresh;
    EXPECT_FALSE(fresh.audio.stop(fresh.audio.user)) << "stop before init";
    EXPECT_FALSE(fresh.audio.free(fresh.audio.user)) << "free before init";

    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    ASSERT_TRUE(layer.play(handle));
    EXPECT_TRUE(layer.audio.stop(layer.audio.user));
    EXPECT_TRUE(layer.audio.stop(layer.audio.user)) << "the second stop";
    EXPECT_TRUE(layer.audio.free(layer.audio.user));
    EXPECT_FALSE(layer.audio.free(layer.audio.user)) << "the second free";
    EXPECT_FALSE(layer.audio.stop(layer.audio.user)) << "stop after free";
    std::vector<float> spectrum(kSpectrumSize, 2.0f);
    EXPECT_EQ(layer.read(handle, spectrum.data()), -1) << "a read after free";
    EXPECT_FALSE(layer.play(handle)) << "play after free";

    ASSERT_TRUE(layer.init()) << "init again after free";
    const uint32_t again = layer.open(path);
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, handle) << "a new handle, so the old one stays stale";
}

TEST_F(Audio, ANewStreamReplacesTheOld) {
    const std::string first = dir.file("first.ogg"), second = dir.file("second.ogg");
    ASSERT_TRUE(writeOgg(first, {.frames = 44100}, binSine(30, 0.5, 44100)));
    ASSERT_TRUE(writeOgg(second, {.frames = 44100}, binSine(90, 0.5, 44100)));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t a = layer.open(first), b = layer.open(second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    std::vector<float> spectrum(kSpectrumSize, 4.0f);
    EXPECT_EQ(layer.read(a, spectrum.data()), -1) << "the replaced stream";
    EXPECT_FALSE(layer.play(a)) << "the replaced stream";
    EXPECT_EQ(spectrum[0], 4.0f);
    ASSERT_TRUE(layer.play(b));
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 4096; }));
    ASSERT_EQ(layer.read(b, spectrum.data()), 4096);
    EXPECT_EQ(peakBin(spectrum), 90);
}

TEST_F(Audio, OtherDataRequestsAreRefused) {
    const std::string path = dir.file("tone.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 44100}, binSine(9, 0.5, 44100)));
    Layer layer;
    ASSERT_TRUE(layer.init());
    const uint32_t handle = layer.open(path);
    std::vector<float> spectrum(kSpectrumSize, 6.0f);
    for (uint32_t flags : {0u, 0x80000001u, 0x80000003u, 4096u}) {
        EXPECT_EQ(layer.audio.channelGetData(layer.audio.user, handle, spectrum.data(), flags), -1)
            << "flags " << flags;
    }
    EXPECT_EQ(spectrum[0], 6.0f);
    EXPECT_EQ(layer.read(handle, spectrum.data()), 4096) << "before playing";
}

}  // namespace
