// Audio files for the tests and measurements (see audio_test_files.h).
#include "tests/audio/audio_test_files.h"

#include <vorbis/vorbisenc.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

constexpr int kChunkFrames = 1024;  // frames handed to the encoder per analysis call
constexpr int kPageBytes = 1024;    // small pages, so a short file still has many to lose

// One encoded packet, kept to be paged into any number of links.
struct Packet {
    std::vector<unsigned char> bytes;
    ogg_int64_t granule;
    long number;
    bool first, last;
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
        packets.push_back({std::vector<unsigned char>(p.packet, p.packet + p.bytes), p.granulepos,
                           static_cast<long>(p.packetno), p.b_o_s != 0, p.e_o_s != 0});
    };
    ogg_packet headers[3];
    vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
    for (const ogg_packet &p : headers) keep(p);
    auto drain = [&] {
        ogg_packet p;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &p)) keep(p);
        }
    };
    for (int64_t done = 0; done < format.frames; done += kChunkFrames) {
        const int count = static_cast<int>(std::min<int64_t>(kChunkFrames, format.frames - done));
        float **buffer = vorbis_analysis_buffer(&dsp, count);
        for (int c = 0; c < format.channels; ++c)
            for (int i = 0; i < count; ++i) buffer[c][i] = sample(done + i, c);
        vorbis_analysis_wrote(&dsp, count);
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

// Pages the packets as one link under serial; headers on pages of their own.
bool writeLink(std::FILE *file, const std::vector<Packet> &packets, int serial) {
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_page page;
    bool ok = true;
    auto write = [&] {
        ok = ok && std::fwrite(page.header, 1, page.header_len, file) ==
                       static_cast<size_t>(page.header_len);
        ok = ok &&
             std::fwrite(page.body, 1, page.body_len, file) == static_cast<size_t>(page.body_len);
    };
    for (size_t i = 0; i < packets.size(); ++i) {
        const Packet &k = packets[i];
        ogg_packet p{};
        p.packet = const_cast<unsigned char *>(k.bytes.data());
        p.bytes = static_cast<long>(k.bytes.size());
        p.granulepos = k.granule;
        p.packetno = k.number;
        p.b_o_s = k.first;
        p.e_o_s = k.last;
        ogg_stream_packetin(&stream, &p);
        if (i == 2) {
            while (ogg_stream_flush(&stream, &page)) write();
        } else {
            while (ogg_stream_pageout_fill(&stream, &page, kPageBytes)) write();
        }
    }
    while (ogg_stream_flush(&stream, &page)) write();
    ogg_stream_clear(&stream);
    return ok;
}

}  // namespace

// For LeakSanitizer: libvorbisenc 1.3.7 never frees one block of its 5.1 set-up.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:vorbis_encode_setup_init\n";
}

// A chain of one.
bool writeOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample) {
    return writeChainedOgg(path, format, sample, 1);
}

// One encoding, copies links.
bool writeChainedOgg(const std::string &path, const OggFormat &format, const SampleFunction &sample,
                     int copies) {
    std::vector<Packet> packets;
    if (!encode(format, sample, packets)) return false;
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = true;
    for (int i = 0; ok && i < copies; ++i) ok = writeLink(file, packets, format.serial + i);
    return std::fclose(file) == 0 && ok;
}

// bin * 44100 / 2048.
double binHz(int bin) {
    return bin * 44100.0 / 2048.0;
}

// sin(2 pi hz t).
float sineAt(double hz, double amplitude, int64_t frame, int rate) {
    return static_cast<float>(amplitude *
                              std::sin(2.0 * std::numbers::pi * hz * double(frame) / rate));
}

// A hash of the frame and channel scaled to +-amplitude.
SampleFunction withNoise(const SampleFunction &sample, double amplitude) {
    return [=](int64_t frame, int channel) {
        auto x =
            static_cast<uint32_t>(frame) * 2654435761u + static_cast<uint32_t>(channel) * 40503u;
        x ^= x >> 15;
        x *= 2246822519u;
        x ^= x >> 13;
        const double noise = (double(x) / 4294967296.0 - 0.5) * 2.0 * amplitude;
        return sample(frame, channel) + static_cast<float>(noise);
    };
}

// Letters and digits, the rest underscores.
std::string testName(const std::string &name) {
    std::string out = name;
    for (char &c : out)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return out;
}

// Binary, as given.
bool writeBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// Binary, whole.
std::string readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Rewrites the first part.
bool truncateFile(const std::string &path, double share) {
    const std::string bytes = readBytes(path);
    return writeBytes(path, bytes.substr(0, static_cast<size_t>(double(bytes.size()) * share)));
}

// 0x5A repeated: no capture pattern, so the pages there are lost.
bool damageFile(const std::string &path, double share, int count) {
    std::string bytes = readBytes(path);
    const auto at = static_cast<size_t>(double(bytes.size()) * share);
    if (at + static_cast<size_t>(count) > bytes.size()) return false;
    bytes.replace(at, static_cast<size_t>(count), static_cast<size_t>(count), '\x5A');
    return writeBytes(path, bytes);
}

// mkdtemp under /tmp.
TempDir::TempDir() {
    char pattern[] = "/tmp/glaxen-audio.XXXXXX";
    const char *made = mkdtemp(pattern);
    path = made ? made : "";
}

// Everything under it.
TempDir::~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}
