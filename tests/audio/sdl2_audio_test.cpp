// Tests of the audio layer through SDL's real audio path, with its dummy driver (or its disk
// driver where the output itself is checked), on files written here: files that play and files
// that do not, the end of the stream, the read's timing, volume and output formats, and shutdown
// in any order. Every wait is bounded and waits for a state. The devices play in real time, and
// every stream read mid-play lasts seconds past the point the test waits for: a busy machine
// that stalls the test for a moment cannot let the stream end before the read.
#include "platform/sdl2/sdl2_audio.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// One audio layer over SDL, freed at the end of the test.
struct Layer {
    Sdl2Audio state;
    ShowAudio audio = sdl2Audio(&state);
    ~Layer() { audio.free(audio.user); }
    bool init() { return audio.init(audio.user, 1, 44100, 0); }
    uint32_t open(const std::string &path) {
        return audio.streamCreateFile(audio.user, path.c_str(), 0, 0, 0);
    }
    bool play(uint32_t handle) { return audio.channelPlay(audio.user, handle, false); }
    bool stop() { return audio.stop(audio.user); }
    bool free() { return audio.free(audio.user); }
    int32_t read(uint32_t handle, std::vector<float> &spectrum,
                 uint32_t flags = kAudioDataFft2048) {
        return audio.channelGetData(audio.user, handle, spectrum.data(), flags);
    }
    int64_t heard() { return sdl2AudioHeardFrame(state); }
};

// Polls done every 2 ms until it holds or 20 seconds pass; whether it held.
bool waitFor(const std::function<bool()> &done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The first frame of sound in stereo frames: where silence ends.
size_t firstSound(const std::vector<float> &stereo) {
    const auto sound = std::find_if(stereo.begin(), stereo.end(), [](float x) { return x != 0; });
    return static_cast<size_t>(sound - stereo.begin()) / 2;
}

// The first frames of a file from the decoder, silence past its end as the layer plays it.
std::vector<float> decode(const std::string &path, int64_t frames) {
    std::vector<float> stereo(2 * static_cast<size_t>(frames), 0.0f);
    VorbisMusic *music = openVorbisMusic(path.c_str());
    if (music) readVorbisMusic(music, stereo.data(), static_cast<int>(frames));
    closeVorbisMusic(music);
    return stereo;
}

// Every test starts on SDL's dummy driver, which plays in real time to nowhere.
class Audio : public testing::Test {
protected:
    void SetUp() override {
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_FALSE(dir.path.empty()) << "no temporary folder";
    }
    TempDir dir;
};

// ---------------------------------------------------------------- files that play or do not

struct FileCase {
    const char *name;
    std::function<bool(const std::string &path)> make;  // writes the file; null: none
    const char *why = "";  // for a file that does not play: the reason said
    int bin = 0;           // where a read peaks; 0: not checked (a damaged file)
    bool ends = true;      // short enough to play to its end here
    friend void PrintTo(const FileCase &c, std::ostream *out) { *out << c.name; }
};

class File : public Audio, public testing::WithParamInterface<FileCase> {};

// A file that does not play gives handle 0 and one line saying why, and its reads fail. One
// that plays says nothing; only the 2048-frame spectrum is given, of the decoder's frames from
// the heard position on (one device latency before the start until it plays); after the end
// reads fail and leave the spectrum as it was, and played again, it starts over.
TEST_P(File, PlaysOrSaysWhyNot) {
    const FileCase &c = GetParam();
    const std::string path = dir.file("music.ogg");
    ASSERT_TRUE(!c.make || c.make(path)) << "writing the file";
    Layer layer;
    ASSERT_TRUE(layer.init());
    testing::internal::CaptureStderr();
    const uint32_t handle = layer.open(path);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::vector<float> marks(kSpectrumSize, 7.5f);
    std::vector<float> spectrum = marks;
    if (*c.why) {
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said: " << said;
        EXPECT_NE(said.find(path + ": " + c.why), std::string::npos) << "said: " << said;
        EXPECT_EQ(layer.read(handle, spectrum), -1);
        EXPECT_FALSE(layer.play(handle));
        EXPECT_EQ(firstDifference(spectrum, marks), "") << "the spectrum after a failing read";
        return;
    }
    EXPECT_EQ(said, "");
    ASSERT_NE(handle, 0u);
    for (uint32_t flags : {0u, 0x80000001u, 0x80000003u, 4096u})
        EXPECT_EQ(layer.read(handle, spectrum, flags), -1) << "flags " << flags;
    EXPECT_EQ(firstDifference(spectrum, marks), "") << "after refused reads";
    EXPECT_EQ(layer.heard(), -layer.state.obtained.samples) << "before playing";
    EXPECT_EQ(layer.read(handle, spectrum), 4096) << "before playing";
    ASSERT_TRUE(layer.play(handle));
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 4096; })) << "waiting to hear 4096 frames";
    ASSERT_TRUE(layer.stop());  // holds the heard position
    const int64_t heard = layer.heard();
    ASSERT_EQ(layer.read(handle, spectrum), 4096);
    const std::vector<float> decoded = decode(path, heard + kSpectrumWindow);
    EXPECT_EQ(firstDifference(spectrum, spectrumAt(decoded, heard, 2)), "") << "at frame " << heard;
    if (c.bin) {
        EXPECT_EQ(peakBin(spectrum), c.bin);
    }
    if (!c.ends) return;
    ASSERT_TRUE(layer.play(handle)) << "played on after the stop";
    int32_t result = 0;
    ASSERT_TRUE(waitFor([&] {
        spectrum = marks;
        return (result = layer.read(handle, spectrum)) != 4096;
    })) << "waiting for the stream's end";
    const int64_t end = layer.heard();
    EXPECT_EQ(result, -1);
    EXPECT_GE(end, layer.state.ring.length) << "the heard frame at the first failing read";
    EXPECT_EQ(firstDifference(spectrum, marks), "") << "the spectrum after a failing read";
    EXPECT_EQ(layer.read(handle, spectrum), -1) << "a second read after the end";
    ASSERT_TRUE(layer.play(handle)) << "played again";
    ASSERT_TRUE(layer.stop());
    EXPECT_LT(layer.heard(), end) << "played again, it starts over";
    EXPECT_EQ(layer.read(handle, spectrum), 4096) << "played again";
}

// A tone at bin for seconds. The encoder keeps only low frequencies on a 5.1 file's LFE
// (channel 5), so that one is left silent.
auto tone(int rate, int channels, int bin, double seconds = 2.0) {
    return [=](const std::string &path) {
        const OggFormat format{
            .rate = rate, .channels = channels, .frames = int64_t(rate * seconds)};
        return writeOgg(path, format, [=](int64_t frame, int channel) {
            return sineAt(binHz(bin), channels == 6 && channel == 5 ? 0.0 : 0.5, frame, rate);
        });
    };
}

// A tone with noise (enough bytes a second for many pages), its bytes from share from to share
// to overwritten or cut.
auto damaged(double from, double to, bool cut = false) {
    return [=](const std::string &path) {
        return writeOgg(path, {.frames = 4 * 44100}, withNoise(binTone(9, 0.5, 44100), 0.1)) &&
               damageFile(path, from, to, cut);
    };
}

// Four hours: 48 chained links of one five-minute encoding.
bool writeHours(const std::string &path) {
    const OggFormat link{.rate = 8000, .channels = 1, .frames = 5 * 60 * 8000, .quality = 0.0f};
    return writeChainedOgg(path, link, binTone(50, 0.5, 8000), 48);
}

// Writes text.
auto text(std::string bytes) {
    return [=](const std::string &path) { return writeBytes(path, bytes); };
}

// A folder opens on POSIX and is then refused for what it is; Windows refuses to open it.
#ifdef _WIN32
constexpr const char *kFolderSays = "cannot be read";
#else
constexpr const char *kFolderSays = "not a regular file";
#endif

INSTANTIATE_TEST_SUITE_P(
    Audio, File,
    testing::Values(FileCase{"stereo", tone(44100, 2, 100), "", 100},
                    FileCase{"mono", tone(44100, 1, 300), "", 300},
                    FileCase{"5.1", tone(44100, 6, 200), "", 200},
                    FileCase{"8 kHz", tone(8000, 1, 60), "", 60},
                    FileCase{"96 kHz", tone(96000, 2, 400), "", 400},
                    FileCase{"hours long", writeHours, "", 50, false},
                    FileCase{"truncated", damaged(0.55, 1.0, true)},
                    FileCase{"damaged in the middle", damaged(0.5, 0.65)},
                    FileCase{"damaged from the middle on", damaged(0.4, 1.0)},
                    FileCase{"no file", nullptr, "no such file"},
                    FileCase{"not Ogg at all", text("RIFF"), "not Ogg Vorbis"},
                    FileCase{"empty", text(""), "not Ogg Vorbis"},
                    FileCase{"no samples", tone(44100, 2, 5, 0.0), "no sound in it"},
                    FileCase{"a folder",
                             [](auto &path) { return std::filesystem::create_directory(path); },
                             kFolderSays}));
#ifndef _WIN32
// A FIFO nobody writes to is refused at once with the same one line: the show opens its music
// before its dialog, and must not wait there. Were the open to wait, the guard gives it a
// writer after 20 s, so the test fails instead of hanging.
TEST_F(Audio, AFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string path = dir.file("music.ogg");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    Layer layer;
    ASSERT_TRUE(layer.init());
    std::atomic<bool> returned{false};
    std::thread guard([&] {
        if (waitFor([&] { return returned.load(); })) return;
        while (!returned) {  // until the waiting open has its writer
            const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) close(writer);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    testing::internal::CaptureStderr();
    const uint32_t handle = layer.open(path);
    returned = true;
    const std::string said = testing::internal::GetCapturedStderr();
    guard.join();
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said: " << said;
    EXPECT_NE(said.find(path + ": not a regular file"), std::string::npos) << "said: " << said;
}
#endif

// ---------------------------------------------------------------- volume and output

// Through the disk driver: the output is silence while the device waited, in whole buffers,
// then the stream from its first frame at the volume, in the device's format (converted to when
// not float); the spectrum is the stream's at full level whatever the volume. The disk driver
// writes in real time, so the read a fifth of a second in has seconds of stream after it.
TEST_F(Audio, TheOutputCarriesTheStreamAtTheVolumeWhileTheSpectrumIgnoresIt) {
    constexpr size_t kFrames = 2 * 44100;
    const std::string path = dir.file("tone.ogg"), out = dir.file("out.raw");
    ASSERT_TRUE(writeOgg(path, {.frames = kFrames}, binTone(150, 0.5, 44100)));
    const std::vector<float> decoded = decode(path, kFrames);
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    // The disk driver's own pace is one buffer's length per buffer: real time. (Naming it too
    // would lose the file's name on Windows, where SDL reads both into one buffer.)
    // Name, device format, volume, the format's rounding.
    const std::tuple<const char *, SDL_AudioFormat, uint32_t, float> cases[] = {
        {"float", AUDIO_F32SYS, 100, 0.0f},
        {"float at half volume", AUDIO_F32SYS, 50, 1e-7f},
        {"16-bit", AUDIO_S16SYS, 100, 2.0f / 32768},  // SDL truncates x * 32767: (1 + |x|) steps
        {"16-bit silenced", AUDIO_S16SYS, 0, 0.0f}};
    for (const auto &[name, format, volume, tolerance] : cases) {
        {
            Layer layer;
            layer.state.requestedFormat = format;
            ASSERT_TRUE(layer.init()) << name;
            ASSERT_EQ(layer.state.obtained.format, format) << name;
            const uint32_t handle = layer.open(path);
            EXPECT_TRUE(layer.audio.setVolume(layer.audio.user, volume)) << name;
            ASSERT_TRUE(layer.play(handle)) << name;
            ASSERT_TRUE(waitFor([&] { return layer.heard() >= 8192; }))
                << name << ": waiting to hear 8192 frames";
            std::vector<float> spectrum(kSpectrumSize);
            ASSERT_EQ(layer.read(handle, spectrum), 4096) << name;
            EXPECT_EQ(peakBin(spectrum), 150) << name;
            EXPECT_NEAR(spectrum[150], 0.25, 0.02) << name << ": the spectrum at full level";
            ASSERT_TRUE(waitFor([&] { return layer.read(handle, spectrum) < 0; }))
                << name << ": waiting for the stream's end";
        }
        const std::string bytes = readBytes(out);
        const size_t size = SDL_AUDIO_BITSIZE(format) / 8;
        std::vector<float> got(bytes.size() / size);
        for (size_t i = 0; i < got.size(); ++i) {
            int16_t s16 = 0;
            std::memcpy(size == 2 ? static_cast<void *>(&s16) : &got[i], bytes.data() + size * i,
                        size);
            if (size == 2) got[i] = s16 / 32768.0f;
        }
        ASSERT_GE(got.size(), 2u * kFrames) << name << ": the whole stream went out";
        if (volume == 0) {
            EXPECT_EQ(firstSound(got), got.size() / 2) << name << ": all silent";
            continue;
        }
        ASSERT_GE(firstSound(got), firstSound(decoded)) << name;
        const size_t start = firstSound(got) - firstSound(decoded);  // frames before the stream
        ASSERT_GE(got.size(), 2 * (start + kFrames)) << name << ": the whole stream went out";
        EXPECT_EQ(start % kAudioDeviceFrames, 0u)
            << name << ": " << start << " silent frames first";
        for (size_t i = 0; i < 2 * kFrames; ++i)
            ASSERT_NEAR(got[2 * start + i], decoded[i] * (volume / 100.0f), tolerance)
                << name << ", value " << i;
    }
}

// ---------------------------------------------------------------- devices and shutdown

// Without a device the show runs silent, saying so once; stop and free without one, or twice,
// are harmless; a new stream replaces the old, whose handle is never given again.
TEST_F(Audio, ShutdownInAnyOrderIsHarmlessAndANewStreamReplacesTheOld) {
    const std::string first = dir.file("first.ogg"), second = dir.file("second.ogg");
    ASSERT_TRUE(writeOgg(first, {.frames = 5 * 44100}, binTone(30, 0.5, 44100)));
    ASSERT_TRUE(writeOgg(second, {.frames = 5 * 44100}, binTone(90, 0.5, 44100)));
    Layer layer;
    SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(layer.init()) << "without a device";
    EXPECT_EQ(layer.open(first), 0u) << "without a device";
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said: " << said;
    EXPECT_FALSE(layer.stop()) << "without a device";
    EXPECT_FALSE(layer.free()) << "without a device";
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(layer.init());
    std::vector<float> spectrum(kSpectrumSize);
    const uint32_t a = layer.open(first);
    ASSERT_TRUE(layer.play(a));
    const uint32_t b = layer.open(second);  // while the first plays
    EXPECT_EQ(layer.read(a, spectrum), -1) << "the replaced stream";
    EXPECT_FALSE(layer.play(a)) << "the replaced stream";
    ASSERT_TRUE(layer.play(b));
    ASSERT_TRUE(waitFor([&] { return layer.heard() >= 4096; })) << "waiting to hear the second";
    ASSERT_EQ(layer.read(b, spectrum), 4096);
    EXPECT_EQ(peakBin(spectrum), 90) << "the new stream";
    EXPECT_TRUE(layer.stop());
    EXPECT_TRUE(layer.stop()) << "the second stop";
    EXPECT_TRUE(layer.free());
    EXPECT_FALSE(layer.free()) << "the second free";
    EXPECT_FALSE(layer.stop()) << "stop after free";
    EXPECT_EQ(layer.read(b, spectrum), -1) << "a read after free";
    EXPECT_FALSE(layer.play(b)) << "play after free";
    ASSERT_TRUE(layer.init()) << "init again after free";
    const uint32_t again = layer.open(first);
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, b) << "a new handle, so the old one stays stale";
}

}  // namespace
