// Vorbis writer: libvorbisenc VBR set-up, fixed comments and serial, page-by-page file output.
#include "vorbis_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr long kChunkFrames = 1024;  // frames handed to the encoder per analysis call

// Everything libvorbis and libogg need for one stream, released together.
struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool dspReady = false;
    bool streamReady = false;
};

// Frees whatever parts of the encoder were set up.
void release(Encoder &enc) {
    if (enc.streamReady) ogg_stream_clear(&enc.stream);
    if (enc.dspReady) {
        vorbis_block_clear(&enc.block);
        vorbis_dsp_clear(&enc.dsp);
    }
    vorbis_comment_clear(&enc.comment);
    vorbis_info_clear(&enc.info);
}

// Writes one Ogg page; false when the file refuses it.
bool writePage(std::FILE *file, const ogg_page &page) {
    return std::fwrite(page.header, 1, page.header_len, file) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, file) ==
               static_cast<std::size_t>(page.body_len);
}

// Moves every finished block through the encoder into pages on disk.
bool drain(Encoder &enc, std::FILE *file) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&enc.dsp, &enc.block) == 1) {
        vorbis_analysis(&enc.block, nullptr);
        vorbis_bitrate_addblock(&enc.block);
        while (vorbis_bitrate_flushpacket(&enc.dsp, &packet)) {
            ogg_stream_packetin(&enc.stream, &packet);
            while (ogg_stream_pageout(&enc.stream, &page)) {
                if (!writePage(file, page)) return false;
            }
        }
    }
    return true;
}

}  // namespace

// Encodes the buffer to path; returns false with a message in error on failure.
bool writeOggVorbis(const std::string &path, const StereoBuffer &audio,
                    const VorbisSettings &settings, std::string &error) {
    Encoder enc;
    vorbis_info_init(&enc.info);
    vorbis_comment_init(&enc.comment);
    if (vorbis_encode_init_vbr(&enc.info, 2, settings.rate, settings.quality) != 0) {
        error = "the encoder refused the rate or quality";
        release(enc);
        return false;
    }
    if (settings.title[0]) vorbis_comment_add_tag(&enc.comment, "TITLE", settings.title);
    if (settings.artist[0]) vorbis_comment_add_tag(&enc.comment, "ARTIST", settings.artist);
    vorbis_analysis_init(&enc.dsp, &enc.info);
    vorbis_block_init(&enc.dsp, &enc.block);
    enc.dspReady = true;
    ogg_stream_init(&enc.stream, static_cast<int>(settings.serial));
    enc.streamReady = true;

    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot open " + path + " for writing";
        release(enc);
        return false;
    }
    bool ok = true;
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&enc.stream, &identification);
    ogg_stream_packetin(&enc.stream, &comments);
    ogg_stream_packetin(&enc.stream, &codebooks);
    ogg_page page;
    while (ok && ogg_stream_flush(&enc.stream, &page)) ok = writePage(file, page);

    const long frames = frameCount(audio);
    for (long done = 0; ok && done < frames; done += kChunkFrames) {
        const long count = std::min(kChunkFrames, frames - done);
        float **buffer = vorbis_analysis_buffer(&enc.dsp, static_cast<int>(count));
        std::copy_n(audio.left.begin() + done, count, buffer[0]);
        std::copy_n(audio.right.begin() + done, count, buffer[1]);
        vorbis_analysis_wrote(&enc.dsp, static_cast<int>(count));
        ok = drain(enc, file);
    }
    if (ok) {
        vorbis_analysis_wrote(&enc.dsp, 0);
        ok = drain(enc, file);
    }
    while (ok && ogg_stream_flush(&enc.stream, &page)) ok = writePage(file, page);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) error = "writing " + path + " failed";
    release(enc);
    return ok;
}
