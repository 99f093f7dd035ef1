// The streaming music decoder (see vorbis_music.h): libvorbisfile blocks, mixed to stereo and
// converted to 44100 Hz link by link, so chained files of other layouts and rates play on.
#include "audio/vorbis_music.h"

#include <vorbis/vorbisfile.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr int kMaxHolesInARow = 64;  // damaged stretches skipped before the rest counts as lost
}  // namespace

struct VorbisMusic {
    OggVorbis_File file{};
    const MusicBytes *bytes = nullptr;  // the bytes read, or null for a file
    int64_t offset = 0;                 // the next of them vorbisfile reads
    bool seekable = false;
    VorbisMusicSource first;
    std::vector<int64_t> linkOutput;  // output frame where each link starts, then the total
    std::vector<int64_t> linkSource;  // decoder position where each link starts
    StereoResampler resampler;
    int link = -1;             // the link the converter is on; -1 between links
    std::vector<float> block;  // one decoded block mixed to stereo
    int blockFrames = 0;       // frames waiting in block
    int blockLink = -1;        // the link and rate they came from
    int blockRate = 0;         //
    bool fileEnded = false;    // the decoder gave its last block
    bool waiting = false;      // the last read stopped where the bytes have not arrived yet
};

namespace {

// A link's rate is one the converter takes.
bool rateSupported(const vorbis_info *info) {
    return info && info->channels > 0 && info->rate >= kMusicMinRate && info->rate <= kMusicMaxRate;
}

// Where each link starts, in output frames and in decoder positions (seekable files only).
void mapLinks(VorbisMusic &m) {
    int64_t output = 0, source = 0;
    for (int i = 0; i < m.first.links; ++i) {
        const int64_t frames = std::max<ogg_int64_t>(0, ov_pcm_total(&m.file, i));
        m.linkOutput.push_back(output);
        m.linkSource.push_back(source);
        output += resampledLength(frames, static_cast<int>(ov_info(&m.file, i)->rate));
        source += frames;
    }
    m.linkOutput.push_back(output);
}

// True while the bytes read are still arriving.
bool arriving(const VorbisMusic &m) {
    return m.bytes && !m.bytes->complete(m.bytes->user);
}

// Decodes the next block into m.block; false at the end, or waiting for bytes still to come.
// Holes (damaged pages) are skipped; any other error, or a link at a rate the converter does
// not take, ends the music there.
bool decodeBlock(VorbisMusic &m) {
    for (int holes = 0; !m.fileEnded && holes <= kMaxHolesInARow;) {
        float **pcm = nullptr;
        int link = 0;
        const long got = ov_read_float(&m.file, &pcm, kResamplerPushFrames, &link);
        if (got == OV_HOLE) {
            ++holes;
            continue;
        }
        if (got <= 0 && arriving(m)) {
            m.waiting = true;
            return false;
        }
        const vorbis_info *info = got > 0 ? ov_info(&m.file, link) : nullptr;
        if (!rateSupported(info)) break;
        downmixToStereo(pcm, info->channels, static_cast<int>(got), m.block.data());
        m.blockFrames = static_cast<int>(got);
        m.blockLink = link;
        m.blockRate = static_cast<int>(info->rate);
        return true;
    }
    m.fileEnded = true;
    return false;
}

// Puts the decoder at position target: on the page before it, then decoding up to it.
// (ov_pcm_seek alone can land past the target in a chain whose links differ in format.)
bool decoderSeek(VorbisMusic &m, int64_t target) {
    if (ov_pcm_seek_page(&m.file, target) != 0) return false;
    for (int holes = 0; holes <= kMaxHolesInARow;) {
        const int64_t at = ov_pcm_tell(&m.file);
        if (at == target) return true;
        if (at < 0 || at > target) return false;
        float **pcm = nullptr;
        int link = 0;
        const int skip = static_cast<int>(std::min<int64_t>(target - at, kResamplerPushFrames));
        const long got = ov_read_float(&m.file, &pcm, skip, &link);
        if (got == OV_HOLE) ++holes;
        if (got == 0 || (got < 0 && got != OV_HOLE)) return false;
    }
    return false;
}

// Opens path for reading: a missing or unreadable file is told apart from one that is not
// Vorbis. On POSIX the open does not block (a FIFO without a writer would wait for one), and
// anything but a regular file is refused.
std::FILE *openMusicFile(const char *path, VorbisOpenError &error) {
    const auto failed = [&](int why) {
        error = why == ENOENT ? VorbisOpenError::kMissing : VorbisOpenError::kUnreadable;
        return nullptr;
    };
#ifndef _WIN32
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = VorbisOpenError::kNotAFile;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE *file = fdopen(fd, "rb");
    if (!file) {
        const int why = errno;
        close(fd);
        return failed(why);
    }
    return file;
#else
    std::FILE *file = std::fopen(path, "rb");
    return file ? file : failed(errno);
#endif
}

// Opens the decoder in m on source from its first byte, the rest of m as new: the links, their
// rates and the first one's format. When the file does not open, the source is left open; at a
// rate the converter does not take, the decoder is (ov_clear closes both).
VorbisOpenError openDecoder(VorbisMusic &m, void *source, const ov_callbacks &callbacks) {
    m.offset = 0;
    m.linkOutput.clear();
    m.linkSource.clear();
    m.link = m.blockLink = -1;
    m.blockFrames = 0;
    m.fileEnded = m.waiting = false;
    const int opened = ov_open_callbacks(source, &m.file, nullptr, 0, callbacks);
    if (opened != 0) {
        m.fileEnded = true;
        return opened == OV_EREAD ? VorbisOpenError::kUnreadable : VorbisOpenError::kNotVorbis;
    }
    m.seekable = ov_seekable(&m.file) != 0;
    m.first.links = static_cast<int>(ov_streams(&m.file));
    for (int i = 0; i < m.first.links; ++i) {
        if (rateSupported(ov_info(&m.file, i))) continue;
        m.fileEnded = true;
        return VorbisOpenError::kUnsupportedRate;
    }
    const vorbis_info *info = ov_info(&m.file, 0);
    m.first.rate = static_cast<int>(info->rate);
    m.first.channels = info->channels;
    m.first.bitrate = std::max(0L, info->bitrate_nominal);
    if (m.seekable) mapLinks(m);
    m.block.resize(2 * static_cast<size_t>(kResamplerPushFrames));
    return VorbisOpenError::kNone;
}

// vorbisfile's read from the bytes: 0 with errno 0 where they run out, which it takes as the end
// for now (it reads on from there when asked again).
size_t readArrived(void *out, size_t size, size_t count, void *source) {
    VorbisMusic &m = *static_cast<VorbisMusic *>(source);
    const size_t got = m.bytes->read(m.bytes->user, m.offset, out, size * count);
    m.offset += static_cast<int64_t>(got);
    errno = 0;
    return got / size;
}

// Seeks within bytes that have all arrived.
int seekArrived(void *source, ogg_int64_t offset, int whence) {
    VorbisMusic &m = *static_cast<VorbisMusic *>(source);
    const int64_t size = m.bytes->arrived(m.bytes->user);
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m.offset : size;
    if (base + offset < 0 || base + offset > size) return -1;
    m.offset = base + offset;
    return 0;
}

// Where the next read starts.
long tellArrived(void *source) {
    return static_cast<long>(static_cast<VorbisMusic *>(source)->offset);
}

// The decoder on m's bytes from the first: seekable once they have all arrived.
VorbisOpenError openArrived(VorbisMusic &m) {
    const ov_callbacks callbacks{readArrived, arriving(m) ? nullptr : seekArrived, nullptr,
                                 tellArrived};
    return openDecoder(m, &m, callbacks);
}

}  // namespace

// The file first, then the decoder on it.
VorbisMusic *openVorbisMusic(const char *path, VorbisOpenError *error) {
    VorbisOpenError ignored;
    if (!error) error = &ignored;
    std::FILE *file = openMusicFile(path, *error);
    if (!file) return nullptr;
    auto *music = new (std::nothrow) VorbisMusic;
    *error = music ? openDecoder(*music, file, OV_CALLBACKS_DEFAULT) : VorbisOpenError::kUnreadable;
    if (*error == VorbisOpenError::kNone) return music;
    if (*error == VorbisOpenError::kUnsupportedRate) {
        closeVorbisMusic(music);
        return nullptr;
    }
    std::fclose(file);
    delete music;
    return nullptr;
}

// Bytes that do not start as Ogg are refused at once, arrived or not; too few to open wait.
VorbisMusic *openVorbisMusicBytes(const MusicBytes *bytes, VorbisOpenError *error) {
    VorbisOpenError ignored;
    if (!error) error = &ignored;
    const bool complete = bytes->complete(bytes->user);
    char magic[4] = {};
    const bool magicHere = bytes->read(bytes->user, 0, magic, sizeof magic) == sizeof magic;
    if ((magicHere || complete) && std::memcmp(magic, "OggS", sizeof magic) != 0) {
        *error = VorbisOpenError::kNotVorbis;
        return nullptr;
    }
    auto *music = new (std::nothrow) VorbisMusic;
    if (music == nullptr) {
        *error = VorbisOpenError::kUnreadable;
        return nullptr;
    }
    music->bytes = bytes;
    *error = openArrived(*music);
    if (*error == VorbisOpenError::kNone) return music;
    if (*error == VorbisOpenError::kNotVorbis && !complete) *error = VorbisOpenError::kIncomplete;
    closeVorbisMusic(music);
    return nullptr;
}

// For the one line a player prints.
const char *vorbisOpenErrorText(VorbisOpenError error) {
    switch (error) {
    case VorbisOpenError::kNone:
        return "no error";
    case VorbisOpenError::kMissing:
        return "no such file";
    case VorbisOpenError::kUnreadable:
        return "cannot be read";
    case VorbisOpenError::kNotAFile:
        return "not a regular file";
    case VorbisOpenError::kNotVorbis:
        return "not Ogg Vorbis";
    case VorbisOpenError::kUnsupportedRate:
        return "sample rate not supported";
    case VorbisOpenError::kIncomplete:
        return "not all here yet";
    }
    return "unknown error";
}

// ov_clear closes the file too.
void closeVorbisMusic(VorbisMusic *music) {
    if (!music) return;
    ov_clear(&music->file);
    delete music;
}

// Pulls from the converter; when it runs short, feeds it the next block, ends the link at a
// link change or the end of the file, and starts the next link's converter.
int readVorbisMusic(VorbisMusic *music, float *frames, int count) {
    VorbisMusic &m = *music;
    m.waiting = false;
    int got = 0;
    while (got < count) {
        if (m.link >= 0) {
            got += resamplerPull(m.resampler, frames + 2L * got, count - got);
            if (got == count) break;
            if (resamplerDone(m.resampler)) {
                m.link = -1;
            } else if (m.blockFrames == 0 && !decodeBlock(m)) {
                if (m.waiting) break;
                resamplerEnd(m.resampler);
            } else if (m.blockLink != m.link || m.blockRate != m.resampler.rate) {
                resamplerEnd(m.resampler);
            } else {
                resamplerPush(m.resampler, m.block.data(), m.blockFrames);
                m.blockFrames = 0;
            }
            continue;
        }
        if (m.blockFrames == 0 && !decodeBlock(m)) break;
        m.link = m.blockLink;
        resamplerStart(m.resampler, m.blockRate, 0);
    }
    return got;
}

// The last read's stop.
bool vorbisMusicWaiting(const VorbisMusic *music) {
    return music->waiting;
}

// Finds the link, starts its converter at the frame, and has the decoder go to the first
// source frame the converter reaches back to, so the output matches a read from the start.
// Bytes opened while arriving open again: at their first frame, or seekable once all are here.
bool seekVorbisMusic(VorbisMusic *music, int64_t frame) {
    VorbisMusic &m = *music;
    if (!m.seekable && m.bytes && (frame <= 0 || !arriving(m))) {
        ov_clear(&m.file);
        if (openArrived(m) != VorbisOpenError::kNone) {
            ov_clear(&m.file);
            return false;
        }
        if (!m.seekable) return true;
    }
    if (!m.seekable) return false;
    m.blockFrames = 0;
    m.link = -1;
    frame = std::max<int64_t>(0, frame);
    if (frame >= m.linkOutput.back()) {
        m.fileEnded = true;
        return true;
    }
    const auto after = std::upper_bound(m.linkOutput.begin(), m.linkOutput.end(), frame);
    const int link = static_cast<int>(after - m.linkOutput.begin()) - 1;
    resamplerStart(m.resampler, static_cast<int>(ov_info(&m.file, link)->rate),
                   frame - m.linkOutput[link]);
    m.fileEnded = !decoderSeek(m, m.linkSource[link] + m.resampler.sourceFirst);
    if (m.fileEnded) return false;
    m.link = link;
    return true;
}

// The total from the link map.
int64_t vorbisMusicLength(const VorbisMusic *music) {
    return music->seekable ? music->linkOutput.back() : -1;
}

// As read at open.
VorbisMusicSource vorbisMusicSource(const VorbisMusic *music) {
    return music->first;
}
