// Tests of the show's audio library over a scripted device, on files written here: files that
// play and files that do not, the spectrum of what is heard at any position, the stream's end,
// what a pulling device takes at the volume, handles, shutdown in any order, and files fetched
// as their bytes arrive. No device and no thread: the scripted device says what it hears, or
// pulls when the test says.
#include "audio/show_audio.h"
#include "tests/audio/audio_test_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// A device that does what it is told and remembers what it was asked.
struct FakeDevice {
    bool present = true;               // open finds a device
    int bufferFrames = 0;              // what it holds ahead; 0: it never pulls
    int64_t heard = 0;                 // what a device on its own clock hears now
    std::string fetched;               // the file fetch was asked for
    const char *fetchSays = nullptr;   // what fetch answers when it cannot bring the file
    const char *fetchError = nullptr;  // why the bytes stopped coming, once they did
    ArrivingBytes answer;              // the bytes fetch brings
    int rejected = 0;                  // times the bytes were found not to play
    std::vector<std::string> calls;    // "start", "stop", "close", in order
    static FakeDevice &of(void *user) { return *static_cast<FakeDevice *>(user); }
};

// A player over a fake device: heardFrame only for a device on its own clock, fetch only for
// one that fetches.
struct Player : AudioOn<FakeDevice> {
    explicit Player(int bufferFrames = 0, bool fetches = false) {
        device.bufferFrames = bufferFrames;
        AudioBackend &b = state.backend;
        b.user = &device;
        b.open = [](void *u, AudioPlayer &, int *frames, std::string *why) {
            *frames = FakeDevice::of(u).bufferFrames;
            *why = "no card";
            return FakeDevice::of(u).present;
        };
        b.close = [](void *u) { FakeDevice::of(u).calls.push_back("close"); };
        b.start = [](void *u) { FakeDevice::of(u).calls.push_back("start"); };
        b.stop = [](void *u) { FakeDevice::of(u).calls.push_back("stop"); };
        if (bufferFrames == 0) b.heardFrame = [](void *u) { return FakeDevice::of(u).heard; };
        if (!fetches) return;
        b.fetch = [](void *u, const char *file, const char **why) -> const MusicBytes * {
            FakeDevice &d = FakeDevice::of(u);
            d.fetched = file;
            *why = d.fetchSays;
            return d.fetchSays ? nullptr : &d.answer.bytes;
        };
        b.fetchError = [](void *u) { return FakeDevice::of(u).fetchError; };
        b.fetchRejected = [](void *u) { ++FakeDevice::of(u).rejected; };
    }
};

// The spectrum a read at heard must give.
std::vector<float> expectedAt(const std::string &path, int64_t heard) {
    return spectrumAt(decodedFrames(path, heard, kSpectrumWindow), 0, 2);
}

// The one line for a file that will not play.
std::string refusal(const std::string &path, const std::string &why) {
    return "glaxen: cannot play " + path + ": " + why + "; the show runs silent\n";
}

// Lines written to standard error while f runs.
std::string said(const std::function<void()> &f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

const std::vector<float> kMarks(kSpectrumSize, 7.5f);  // a spectrum a failing read leaves alone

class Library : public testing::Test {
protected:
    TempDir dir;
};

// ---------------------------------------------------------------- files that do not play

// Each gives handle 0 and one line saying why. A FIFO nobody writes to is refused at once, never
// waited on (the show opens its music before its dialog).
TEST_F(Library, FilesThatDoNotPlaySayWhyOnce) {
    ASSERT_TRUE(writeBytes(dir.file("empty.ogg"), "") &&
                writeOgg(dir.file("silent.ogg"), {.frames = 0}, binTone(5, 0.5, 44100)) &&
                std::filesystem::create_directory(dir.file("folder.ogg")));
    std::vector<std::pair<std::string, std::string>> cases = {{"none.ogg", "no such file"},
                                                              {"empty.ogg", "not Ogg Vorbis"},
                                                              {"silent.ogg", "no sound in it"}};
#ifdef _WIN32
    cases.push_back({"folder.ogg", "cannot be read"});  // Windows refuses to open a folder
#else
    cases.push_back({"folder.ogg", "not a regular file"});
    cases.push_back({"fifo.ogg", "not a regular file"});
    ASSERT_EQ(mkfifo(dir.file("fifo.ogg").c_str(), 0600), 0);
#endif
    Player player;
    ASSERT_TRUE(player.init());
    for (const auto &c : cases) {
        const std::string path = dir.file(c.first);
        uint32_t handle = 1;
        EXPECT_EQ(said([&] { handle = player.open(path); }), refusal(path, c.second));
        EXPECT_EQ(handle, 0u) << c.first;
    }
}

// ---------------------------------------------------------------- the spectrum heard

// A file that plays says nothing; only the kSpectrumWindow read is given, of the decoder's frames
// from the heard position on, silence before the start and past the end, wherever the device is
// heard (far ahead or back: the read seeks). From the end on reads fail and leave the spectrum
// as it was; played again, the stream starts over.
TEST_F(Library, TheSpectrumIsOfTheFramesHeardWhereverTheyAre) {
    const std::string tone = dir.file("tone.ogg"), hours = dir.file("hours.ogg");
    const int64_t toneFrames = 3 * 44100;
    ASSERT_TRUE(writeOgg(tone, {.frames = toneFrames}, withNoise(binTone(100, 0.5, 44100), 0.05)));
    // Four hours: 48 chained links of one five-minute encoding.
    const OggFormat link{.rate = 8000, .channels = 1, .frames = 5 * 60 * 8000, .quality = 0.0f};
    ASSERT_TRUE(writeOgg(hours, link, withNoise(binTone(50, 0.5, 8000), 0.05), 48));
    const int64_t hour = 3600 * int64_t{44100};
    // The file and the positions heard, in order; the last is the file's end where it is given.
    const std::vector<std::pair<std::string, std::vector<int64_t>>> cases = {
        {tone, {-1000, 0, 735, 30000, 5000, toneFrames - 1000, toneFrames}},
        {hours, {0, 3 * hour + 12345, 3 * hour + 20000, 100, 2 * hour}}};
    for (const auto &[path, positions] : cases) {
        Player player;
        ASSERT_TRUE(player.init());
        uint32_t handle = 0;
        EXPECT_EQ(said([&, &p = path] { handle = player.open(p); }), "") << path;
        ASSERT_NE(handle, 0u) << path;
        std::vector<float> spectrum = kMarks;
        for (uint32_t flags : {0u, 0x80000001u, 0x80000003u, 4096u})
            EXPECT_EQ(player.read(handle, spectrum, flags), -1) << "flags " << flags;
        EXPECT_EQ(spectrum, kMarks) << "after refused reads";
        ASSERT_TRUE(player.play(handle));
        for (const int64_t heard : positions) {
            player.device.heard = heard;
            spectrum = kMarks;
            const bool end = heard == toneFrames;
            ASSERT_EQ(player.read(handle, spectrum), end ? -1 : 4096) << path << " at " << heard;
            EXPECT_EQ(firstDifference(spectrum, end ? kMarks : expectedAt(path, heard)), "")
                << path << " at " << heard;
        }
    }
}

// A pulling device takes the stream's frames at the volume, none before play or after stop, and
// is heard one buffer behind what it took; the spectrum stays at full level whatever the volume.
// After its end the stream plays again from its first frame.
TEST_F(Library, APulledStreamComesAtTheVolumeAndStartsOverAfterItsEnd) {
    const std::string path = dir.file("tone.ogg");
    ASSERT_TRUE(writeOgg(path, {.frames = 10000}, withNoise(binTone(150, 0.5, 44100), 0.05)));
    const std::vector<float> whole = decodedFrames(path, 0, 13000);
    Player player(1000);
    ASSERT_TRUE(player.init());
    const uint32_t handle = player.open(path);
    std::vector<float> buffer(2 * 1000);
    // Pulls a buffer as a device's callback does, which must be the stream from frame at on at
    // the volume.
    const auto pullAt = [&](size_t at, uint32_t volume) {
        ASSERT_TRUE(audioHandOver(player.state, 1000)) << "at frame " << at;
        audioPull(player.state, buffer.data(), 1000);
        for (size_t j = 0; j < buffer.size(); ++j)
            ASSERT_EQ(buffer[j], whole[2 * at + j] * (volume / 100.0f))
                << "at volume " << volume << ", value " << 2 * at + j;
    };
    EXPECT_FALSE(audioHandOver(player.state, 1000)) << "before play";
    ASSERT_TRUE(player.play(handle));
    size_t at = 0;
    for (const uint32_t volume : {100u, 0u, 100u, 50u}) {
        EXPECT_TRUE(player.volume(volume));
        for (int i = 0; i < 3; ++i, at += 1000) pullAt(at, volume);
    }
    ASSERT_TRUE(player.stop());
    EXPECT_FALSE(audioHandOver(player.state, 1000)) << "after stop";
    EXPECT_NEAR(player.heard(), 12000 - 1500, 500) << "one buffer late at most, one of latency";
    std::vector<float> spectrum = kMarks;
    EXPECT_EQ(player.read(handle, spectrum), -1) << "heard past the end";
    ASSERT_TRUE(player.play(handle)) << "played again";
    EXPECT_LT(player.heard(), 0) << "played again, nothing heard yet";
    pullAt(0, 50);
    ASSERT_TRUE(player.stop());  // holds the heard position
    ASSERT_EQ(player.read(handle, spectrum), 4096);
    EXPECT_EQ(firstDifference(spectrum, expectedAt(path, player.heard())), "") << "at volume 50";
}

// ---------------------------------------------------------------- devices, files, shutdown

// Without a device the show runs silent, saying so once with the device's reason; stop and
// free without one, or twice, are harmless; a new stream replaces the old, whose handle is never
// given again, and a player freed and started again counts on.
TEST_F(Library, ShutdownInAnyOrderIsHarmlessAndANewStreamReplacesTheOld) {
    const std::string first = dir.file("first.ogg"), second = dir.file("second.ogg");
    ASSERT_TRUE(writeOgg(first, {.frames = 44100}, binTone(30, 0.5, 44100)));
    ASSERT_TRUE(writeOgg(second, {.frames = 44100}, binTone(90, 0.5, 44100)));
    Player player;
    player.device.present = false;
    EXPECT_EQ(said([&] { EXPECT_FALSE(player.init() || player.open(first)); }),
              "glaxen: no audio device; the show runs silent (no card)\n");
    EXPECT_FALSE(player.stop() || player.free() || player.volume(50)) << "without a device";
    player.device.present = true;
    ASSERT_TRUE(player.init());
    std::vector<float> spectrum(kSpectrumSize);
    const uint32_t a = player.open(first);
    ASSERT_TRUE(player.play(a));
    const uint32_t b = player.open(second);
    EXPECT_EQ(player.read(a, spectrum), -1) << "the replaced stream";
    EXPECT_FALSE(player.play(a)) << "the replaced stream";
    ASSERT_TRUE(player.play(b));
    ASSERT_EQ(player.read(b, spectrum), 4096);
    EXPECT_EQ(peakBin(spectrum), 90) << "the new stream";
    EXPECT_TRUE(player.stop() && player.stop()) << "stopped twice";
    EXPECT_TRUE(player.free());
    EXPECT_FALSE(player.free()) << "the second free";
    EXPECT_EQ(player.device.calls,
              (std::vector<std::string>{"start", "start", "stop", "stop", "close"}));
    EXPECT_EQ(player.read(b, spectrum), -1) << "a read after free";
    ASSERT_TRUE(player.init()) << "init again after free";
    EXPECT_GT(player.open(first), b) << "a new handle, so the old one stays stale";
}

// A file the stream lacks is fetched where the device can, and opens and plays as its bytes
// arrive: arriving until its first frames can be decoded, then what a device pulls is the
// decoded file, as far as the bytes go at each moment. An answer that is not music, a fetch that
// fails and bytes that stop coming are the one line's reason; an answer that is not music is
// rejected, to be fetched anew.
TEST_F(Library, AMissingFileIsFetchedAndPlaysAsItArrives) {
    const std::string source = dir.file("source.ogg"), path = dir.file("fetched.ogg");
    ASSERT_TRUE(writeOgg(source, {.frames = 3 * 44100}, withNoise(binTone(60, 0.5, 44100), 0.1)));
    const std::vector<float> whole = decodedFrames(source, 0, 3 * 44100);
    const std::string music = readBytes(source), page = "<!doctype html><p>Not here</p>";
    struct Case {
        const char *name;
        const std::string *answer;
        const char *fetchSays, *fetchError, *why;
    } cases[] = {
        {"the music", &music, nullptr, nullptr, nullptr},
        {"a page", &page, nullptr, nullptr, "not Ogg Vorbis"},
        {"not found", &music, "not found beside the page", nullptr, "not found beside the page"},
        {"cut off", &music, nullptr, "the connection broke", "the connection broke"}};
    for (const Case &c : cases) {
        Player player(4096, true);
        FakeDevice &d = player.device;
        d.fetchSays = c.fetchSays;
        d.answer.all = *c.answer;
        ASSERT_TRUE(player.init());
        uint32_t handle = 0;
        std::vector<float> pulled, piece(2 * 4096);
        const std::string lines = said([&] {
            handle = player.open(path);
            d.fetchError = c.fetchError;
            // The bytes come 20000 at a time (the first 100 too few to open); each time the
            // device takes what it can, played from the moment the stream is playable.
            auto state = AudioStreamState::kArriving;
            for (size_t step = 100;
                 handle != 0 && state != AudioStreamState::kNone && pulled.size() < whole.size();
                 step = 20000) {
                ASSERT_LT(d.answer.arrived, d.answer.all.size()) << c.name << ": all here";
                d.answer.arrived = std::min(d.answer.all.size(), d.answer.arrived + step);
                state = audioStreamArrive(player.state);
                const bool starts = state == AudioStreamState::kPlayable && pulled.empty();
                ASSERT_TRUE(!starts || player.play(handle)) << c.name;
                for (int n; (n = audioPullable(player.state, 4096)) > 0;) {
                    audioPull(player.state, piece.data(), n);
                    pulled.insert(pulled.end(), piece.begin(), piece.begin() + 2 * n);
                }
            }
        });
        EXPECT_EQ(d.fetched, path) << c.name;
        EXPECT_EQ(lines, c.why ? refusal(path, c.why) : "") << c.name;
        EXPECT_EQ(d.rejected, c.answer == &page ? 1 : 0) << c.name << ": rejected";
        EXPECT_EQ(firstDifference(pulled, c.why ? std::vector<float>{} : whole), "") << c.name;
        std::vector<float> spectrum(kSpectrumSize);
        EXPECT_EQ(player.read(handle, spectrum) == 4096, c.why == nullptr) << c.name;
    }
}

}  // namespace
