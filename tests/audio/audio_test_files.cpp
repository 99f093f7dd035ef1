// Audio files for the tests and measurements (see audio_test_files.h).
#include "tests/audio/audio_test_files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <utility>

namespace {

constexpr int kChunkFrames = 1024;  // frames handed to the encoder per analysis call
constexpr int kPageBytes = 1024;    // small pages, so a short file still has many to lose

// One encoded packet, its bytes kept to be paged into any number of links.
struct Packet {
    std::vector<unsigned char> bytes;
    ogg_packet packet;
};

// Runs the encoder over the samples; the three header packets come first.
bool encode(const OggFormat &format, const SampleFunction &sample, std::vector<Packet> &packets) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, format.channels, format.rate, format.quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    auto keep = [&packets](const ogg_packet &p) {
        packets.push_back({std::vector<unsigned char>(p.packet, p.packet + p.bytes), p});
    };
    ogg_packet headers[3], p;
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (const ogg_packet &header : headers) keep(header);
    // Chunks of the samples, then one of none to end the stream.
    for (int64_t done = 0, count = 1; count > 0; done += count) {
        count = std::clamp<int64_t>(format.frames - done, 0, kChunkFrames);
        float **buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
        for (int c = 0; c < format.channels; ++c)
            for (int i = 0; i < count; ++i) buffer[c][i] = sample(done + i, c);
        vorbis_analysis_wrote(&dsp, static_cast<int>(count));
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &p)) keep(p);
        }
    }
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

// The packets paged as one link under serial; the headers on pages of their own.
std::string link(const std::vector<Packet> &packets, int serial) {
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_page page;
    std::string bytes;
    auto write = [&] {
        bytes.append(reinterpret_cast<const char *>(page.header), size_t(page.header_len));
        bytes.append(reinterpret_cast<const char *>(page.body), size_t(page.body_len));
    };
    for (size_t i = 0; i < packets.size(); ++i) {
        ogg_packet p = packets[i].packet;
        p.packet = const_cast<unsigned char *>(packets[i].bytes.data());
        ogg_stream_packetin(&stream, &p);
        while (i == 2 ? ogg_stream_flush(&stream, &page)
                      : ogg_stream_pageout_fill(&stream, &page, kPageBytes))
            write();
    }
    while (ogg_stream_flush(&stream, &page)) write();
    ogg_stream_clear(&stream);
    return bytes;
}

}  // namespace

// For LeakSanitizer: libvorbisenc 1.3.7 never frees one block of its 5.1 set-up.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:vorbis_encode_setup_init\n";
}

bool writeOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample,
              int copies) {
    std::vector<Packet> packets;
    std::string bytes;
    if (!encode(format, sample, packets)) return false;
    for (int i = 0; i < copies; ++i) bytes += link(packets, format.serial + i);
    return writeBytes(path, bytes);
}

double binHz(int bin) {
    return bin * double(kMusicRate) / kSpectrumWindow;
}

float sineAt(double hz, double amplitude, int64_t frame, int rate) {
    return static_cast<float>(amplitude *
                              std::sin(2.0 * std::numbers::pi * hz * double(frame) / rate));
}

SampleFunction binTone(int bin, double amplitude, int rate) {
    return [=](int64_t frame, int) { return sineAt(binHz(bin), amplitude, frame, rate); };
}

// A hash of the frame and channel scaled to +-amplitude.
SampleFunction withNoise(const SampleFunction &sample, double amplitude) {
    return [=](int64_t frame, int channel) {
        uint32_t x = uint32_t(frame) * 2654435761u + uint32_t(channel) * 40503u;
        x = (x ^ (x >> 15)) * 2246822519u;
        x ^= x >> 13;
        return sample(frame, channel) + float((x / 4294967296.0 - 0.5) * 2.0 * amplitude);
    };
}

// Seeks there, past a start before the music's.
std::vector<float> decodedFrames(const std::string &path, int64_t first, int64_t count) {
    std::vector<float> stereo(2 * static_cast<size_t>(count), 0.0f);
    VorbisMusic *music = openVorbisMusic(path.c_str());
    const int64_t skip = std::max<int64_t>(0, -first);
    if (music && seekVorbisMusic(music, first + skip))
        readVorbisMusic(music, stereo.data() + 2 * skip, static_cast<int>(count - skip));
    closeVorbisMusic(music);
    return stereo;
}

// Every bin written over -1.
std::vector<float> spectrumOf(const float *mono) {
    std::vector<float> out(kSpectrumSize, -1.0f);
    SpectrumAnalyzer *analyzer = createSpectrumAnalyzer();
    analyzeSpectrum(analyzer, mono, out.data());
    destroySpectrumAnalyzer(analyzer);
    return out;
}

std::vector<float> spectrumAt(const std::vector<float> &stereo, int64_t first, int channel) {
    std::vector<float> mono(kSpectrumWindow);
    if (channel == 2) mixToMono(stereo.data() + 2 * first, kSpectrumWindow, 2, mono.data());
    for (int i = 0; channel < 2 && i < kSpectrumWindow; ++i)
        mono[i] = stereo[2 * (first + i) + channel];
    return spectrumOf(mono.data());
}

int peakBin(const std::vector<float> &spectrum) {
    return static_cast<int>(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin());
}

std::string firstDifference(const std::vector<float> &got, const std::vector<float> &expected) {
    char text[96] = "";
    if (got.size() != expected.size())
        std::snprintf(text, sizeof text, "%zu values, expected %zu", got.size(), expected.size());
    for (size_t i = 0; !text[0] && i < got.size(); ++i)
        if (got[i] != expected[i])
            std::snprintf(text, sizeof text, "value %zu: expected %.9g, got %.9g", i,
                          double(expected[i]), double(got[i]));
    return text;
}

bool writeBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out << bytes);
}

std::string readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads stop at the arrived end.
ArrivingBytes::ArrivingBytes(std::string whole, size_t here)
    : all(std::move(whole)), arrived(here) {
    bytes.user = this;
    bytes.read = [](void *u, int64_t offset, void *out, size_t size) {
        const ArrivingBytes &a = of(u);
        const size_t from = std::min(a.arrived, static_cast<size_t>(offset));
        return a.all.copy(static_cast<char *>(out), std::min(size, a.arrived - from), from);
    };
    bytes.arrived = [](void *u) { return int64_t(of(u).arrived); };
    bytes.complete = [](void *u) { return of(u).arrived == of(u).all.size(); };
}

// A name no other folder has: the clock's ticks, tried until one is free.
TempDir::TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (auto tick = std::chrono::steady_clock::now().time_since_epoch().count(); path.empty();
         ++tick) {
        const std::filesystem::path candidate = base / ("glaxen-audio." + std::to_string(tick));
        std::error_code failed;
        if (std::filesystem::create_directory(candidate, failed))
            path = candidate.string();
        else if (failed)
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}
