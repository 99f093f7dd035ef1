// Tests of the audio device through SDL's real audio path, on its disk driver (which writes in
// real time to a file) where the output itself is checked, or its dummy driver: the heard
// position moving with the device's thread, the end of a stream, the output's formats, and no
// device at all. What the player does with any device (the heard position's arithmetic, the
// spectrum heard, the volume, a stream played again) is show_audio_test.cpp's. Every wait is
// bounded and waits for a state; every stream read mid-play lasts seconds past the point the
// test waits for, so a machine that stalls the test for a moment cannot let the stream end
// before the read.
#include "platform/sdl2_audio/sdl2_audio.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// The audio library over an SDL device.
struct Layer : AudioOn<Sdl2AudioDevice> {
    Layer() { state.backend = sdl2AudioBackend(&device); }
};

// Polls done every 2 ms until it holds or 20 seconds pass; whether it held.
bool waitFor(const std::function<bool()> &done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return done();
}

// The first frame of sound in stereo frames: where silence ends.
size_t firstSound(const std::vector<float> &stereo) {
    const auto sound = std::find_if(stereo.begin(), stereo.end(), [](float x) { return x != 0; });
    return static_cast<size_t>(sound - stereo.begin()) / 2;
}

// Through the disk driver: before playing the device is heard one buffer before the start;
// playing, the heard position moves on with SDL's thread to the stream's end. The output is
// silence while the device waited, in whole buffers, then the stream from its first frame at the
// volume, in the device's format (converted to when not float). The read a fifth of a second in
// has seconds of stream after it.
TEST(Audio, TheOutputCarriesTheStreamInTheDevicesFormat) {
    constexpr size_t kFrames = 2 * 44100;
    TempDir dir;
    const std::string path = dir.file("tone.ogg"), out = dir.file("out.raw");
    ASSERT_TRUE(writeOgg(path, {.frames = kFrames}, binTone(150, 0.5, 44100)));
    const std::vector<float> decoded = decodedFrames(path, 0, kFrames);
    // The disk driver's own pace is one buffer's length per buffer: real time. (Naming it too
    // would lose the file's name on Windows, where SDL reads both into one buffer.)
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    // Name, device format, volume, and the format's rounding: to 16 bits SDL truncates, (1 + |x|)
    // steps of 1/32768.
    const std::tuple<const char *, SDL_AudioFormat, uint32_t, float> cases[] = {
        {"float", AUDIO_F32SYS, 100, 0.0f},
        {"16-bit at half volume", AUDIO_S16SYS, 50, 2.0f / 32768}};
    for (const auto &[name, format, volume, tolerance] : cases) {
        SCOPED_TRACE(name);
        {
            Layer layer;
            layer.device.requestedFormat = format;
            ASSERT_TRUE(layer.init());
            ASSERT_EQ(layer.device.obtained.format, format);
            const uint32_t handle = layer.open(path);
            EXPECT_TRUE(layer.volume(volume));
            EXPECT_EQ(layer.heard(), -layer.device.obtained.samples) << "before playing";
            ASSERT_TRUE(layer.play(handle));
            ASSERT_TRUE(waitFor([&] { return layer.heard() >= 8192; })) << "hearing 8192 frames";
            std::vector<float> spectrum(kSpectrumSize);
            ASSERT_EQ(layer.read(handle, spectrum), 4096);
            ASSERT_TRUE(waitFor([&] { return layer.read(handle, spectrum) < 0; })) << "the end";
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
        ASSERT_GE(firstSound(got), firstSound(decoded));
        const size_t start = firstSound(got) - firstSound(decoded);  // frames before the stream
        ASSERT_GE(got.size(), 2 * (start + kFrames)) << "the whole stream went out";
        EXPECT_EQ(start % kAudioDeviceFrames, 0u) << start << " silent frames first";
        for (size_t i = 0; i < 2 * kFrames; ++i)
            ASSERT_NEAR(got[2 * start + i], decoded[i] * (volume / 100.0f), tolerance) << i;
    }
}

// Without a device, one line with SDL's reason, and the show runs silent; a device found later
// opens.
TEST(Audio, WithoutADeviceTheLineSaysWhy) {
    Layer layer;
    SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(layer.init());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("glaxen: no audio device; the show runs silent (", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said: " << said;
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_TRUE(layer.init());
}

}  // namespace
