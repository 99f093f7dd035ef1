// Ogg decoder: vorbisfile's float reader, appending every decoded block in order.
#include "ogg_decoder.h"

#include <vorbis/vorbisfile.h>

// Decodes path; returns false with a message in error when the file is not readable Vorbis.
bool decodeOggVorbis(const std::string &path, DecodedAudio &audio, std::string &error) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        error = "cannot open " + path + " as Ogg Vorbis";
        return false;
    }
    const vorbis_info *info = ov_info(&file, -1);
    audio.rate = static_cast<int>(info->rate);
    audio.channels = info->channels;
    audio.nominalBitrate = static_cast<double>(info->bitrate_nominal);
    audio.averageBitrate = static_cast<double>(ov_bitrate(&file, -1));
    const ogg_int64_t total = ov_pcm_total(&file, -1);
    if (total > 0) audio.samples.reserve(static_cast<std::size_t>(total) * audio.channels);
    int section = 0;
    for (;;) {
        float **pcm = nullptr;
        const long got = ov_read_float(&file, &pcm, 4096, &section);
        if (got == 0) break;
        if (got < 0) {
            error = "decoding " + path + " failed part-way";
            ov_clear(&file);
            return false;
        }
        for (long i = 0; i < got; ++i) {
            for (int c = 0; c < audio.channels; ++c) audio.samples.push_back(pcm[c][i]);
        }
    }
    audio.frames = static_cast<long>(audio.samples.size()) / audio.channels;
    ov_clear(&file);
    return true;
}
