// show_digest: runs the show's main routine on the virtual clock, with one seed and a scripted
// spectrum, and prints a digest of every frame it presents: the same program built for each
// platform must print the same lines. With --write-spectrum it writes the script instead.
// Usage: show_digest --write-spectrum FILE FRAMES
//        show_digest SEED SPECTRUM_FILE FPS FRAMES
// The spectrum file holds 1024 floats a frame (glaxen-render's --spectrum format); past its
// end the reads fail and leave the spectrum as it was, as after the music's end.
#include "platform/null/null_platform.h"
#include "show/show_frame.h"
#include "show/show_main.h"
#include "show/spectrum.h"
#include "show/virtual_clock.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// The script for frame k: phases of a few dozen frames each that take every branch of the
// passes (silence, the high band, the letterbox on either buffer), quiet, loud and capped
// levels for the burst trigger, and band 16 wandering for the text.
void scriptedSpectrum(uint64_t k, float *spectrum) {
    for (int i = 0; i < kSpectrumSize; ++i) spectrum[i] = 0.0f;
    const uint64_t phase = k / 37 % 4;
    spectrum[20] = phase == 0 ? 0.0f : 0.002f;             // 0: silent, every row fed back
    spectrum[300] = phase == 2 ? 0.01f : 0.0001f;          // 2: the high band, every row
    spectrum[10] = phase == 3 ? 0.12f : 0.0f;              // 3: band 10 alone reaches it
    spectrum[5] = k / 23 % 2 ? 0.2f : 0.01f;               // letterbox on the picture, or the frame
    spectrum[12] = static_cast<float>(k / 53 % 4) * 0.1f;  // level 0 to 1.2: capped at 1
    spectrum[500] = k / 71 % 2 ? 0.05f : 0.0f;
    spectrum[16] = static_cast<float>(0.5 + 0.4 * std::sin(static_cast<double>(k) * 0.05));
}

// FNV-1a, 64 bits, over the frame's bytes.
uint64_t digest(const Pixel *frame) {
    uint64_t h = 0xcbf29ce484222325u;
    const auto *bytes = reinterpret_cast<const unsigned char *>(frame);
    for (size_t i = 0; i < sizeof(Pixel) * kScreenPixels; ++i) h = (h ^ bytes[i]) * 0x100000001b3u;
    return h;
}

struct Run {
    uint32_t seed;
    FILE *spectra;
    uint64_t spectraFrames;
    uint64_t frames;  // the run stops after this many
    VirtualClock clock;
};

Run &runOf(void *user) {
    return *static_cast<Run *>(user);
}

// Writes frames spectra of the script.
int writeSpectra(const char *path, uint64_t frames) {
    FILE *out = std::fopen(path, "wb");
    if (out == nullptr) return 2;
    std::vector<float> spectrum(kSpectrumSize);
    for (uint64_t k = 0; k < frames; ++k) {
        scriptedSpectrum(k, spectrum.data());
        std::fwrite(spectrum.data(), sizeof(float), spectrum.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--write-spectrum")
        return writeSpectra(argv[2], std::strtoull(argv[3], nullptr, 10));
    if (argc != 5) {
        std::fprintf(stderr, "usage: show_digest SEED SPECTRUM_FILE FPS FRAMES\n"
                             "       show_digest --write-spectrum FILE FRAMES\n");
        return 2;
    }
    Run run{static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)),
            std::fopen(argv[2], "rb"),
            0,
            std::strtoull(argv[4], nullptr, 10),
            {}};
    run.clock.fpsNum = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    if (run.spectra == nullptr || run.clock.fpsNum == 0) {
        std::fprintf(stderr, "show_digest: cannot read %s\n", argv[2]);
        return 2;
    }
    std::fseek(run.spectra, 0, SEEK_END);
    run.spectraFrames = static_cast<uint64_t>(std::ftell(run.spectra)) / (4 * kSpectrumSize);

    ShowPlatform p = nullPlatform();
    p.system.user = p.presenter.user = p.audio.user = &run;
    p.system.calendarTime = [](void *u) { return runOf(u).seed; };
    p.system.milliseconds = [](void *u) { return virtualClockRead(runOf(u).clock); };
    p.system.escapePressed = [](void *u) { return runOf(u).clock.frame + 1 >= runOf(u).frames; };
    p.presenter.open = [](void *, const char *, int, int, bool) { return 1; };
    p.presenter.present = [](void *u, const Pixel *frame) {
        std::printf("%" PRIu64 " %016" PRIx64 "\n", runOf(u).clock.frame, digest(frame));
    };
    p.audio.init = [](void *, int, uint32_t, uint32_t) { return true; };
    p.audio.streamCreateFile = [](void *, const char *, uint64_t, uint64_t, uint32_t) {
        return 1u;
    };
    p.audio.channelGetData = [](void *u, uint32_t, float *spectrum, uint32_t) {
        Run &r = runOf(u);
        if (r.clock.frame >= r.spectraFrames) return -1;
        std::fseek(r.spectra, static_cast<long>(r.clock.frame * 4 * kSpectrumSize), SEEK_SET);
        return std::fread(spectrum, 4 * kSpectrumSize, 1, r.spectra) == 1 ? 4 * kSpectrumSize : -1;
    };
    const int code = showMain(p);
    std::fclose(run.spectra);
    return code;
}
