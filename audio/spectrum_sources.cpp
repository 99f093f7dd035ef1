// Where a computed show's spectra come from (see spectrum_sources.h).
#include "audio/spectrum_sources.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr long kSpectrumBytes = sizeof(float) * kSpectrumSize;  // one frame's spectrum
constexpr int kMusicRingFrames = 4 * kSpectrumWindow;           // decoded ahead at most

}  // namespace

// ---------------------------------------------------------------- silent and file

// Nothing to open: every read fails, as without the music.
bool openSilentSource(SpectrumSource &source) {
    source.kind = SpectrumKind::kSilent;
    return true;
}

// A whole, non-empty number of 1024-float spectra.
bool openSpectrumFile(SpectrumSource &source, const std::string &path, std::string &error) {
    source.kind = SpectrumKind::kFile;
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) {
        error = "cannot read the spectra in " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read the spectra in " + path + ": not a regular file";
        return false;
    }
    if (info.st_size == 0 || info.st_size % kSpectrumBytes != 0) {
        error = path + " is not a file of spectra: " + std::to_string(info.st_size) +
                " bytes is not a whole, non-zero number of 1024-float spectra (4096 bytes each)";
        return false;
    }
    source.file = std::fopen(path.c_str(), "rb");
    if (source.file == nullptr) {
        error = "cannot read the spectra in " + path + ": " + std::strerror(errno);
        return false;
    }
    source.fileFrames = static_cast<uint64_t>(info.st_size / kSpectrumBytes);
    return true;
}

// The decoder, the ring and the analyser, made once.
bool openMusicSource(SpectrumSource &source, const std::string &path, std::string &error) {
    source.kind = SpectrumKind::kMusic;
    VorbisOpenError why = VorbisOpenError::kNone;
    VorbisMusic *music = openVorbisMusic(path.c_str(), &why);
    if (music == nullptr) {
        error = "cannot read the music " + path + ": " + vorbisOpenErrorText(why) +
                " (--silent renders without it)";
        return false;
    }
    if (!musicStreamAllocate(source.music, kMusicRingFrames)) {
        closeVorbisMusic(music);
        error = "out of memory";
        return false;
    }
    musicStreamSet(source.music, music, 0);
    return true;
}

// ---------------------------------------------------------------- reading

// Silent: nothing; file: the frame's own spectrum; music: the samples at its time.
bool readSpectrum(SpectrumSource &source, uint64_t frame, uint32_t milliseconds, float *out) {
    switch (source.kind) {
    case SpectrumKind::kSilent:
        return false;
    case SpectrumKind::kFile: {
        if (frame >= source.fileFrames) return false;  // the spectra have run out: the end
        float spectrum[kSpectrumSize];
        if (std::fseek(source.file, static_cast<long>(frame) * kSpectrumBytes, SEEK_SET) != 0 ||
            std::fread(spectrum, kSpectrumBytes, 1, source.file) != 1)
            return false;
        std::memcpy(out, spectrum, kSpectrumBytes);
        return true;
    }
    case SpectrumKind::kMusic:
        return musicStreamSpectrum(source.music, int64_t{milliseconds} * kMusicRate / 1000, out);
    }
    return false;
}

// Closes whatever the source opened.
void closeSpectrumSource(SpectrumSource &source) {
    if (source.file) std::fclose(source.file);
    source.file = nullptr;
    musicStreamFree(source.music);
}
