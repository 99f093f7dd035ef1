// show_digest: runs the show's main routine on the virtual platform, with one seed and a
// scripted spectrum, and prints a digest of every frame it presents and of the frame as gentle
// mode shows it: the same program built for each platform must print the same lines. With
// --write-spectrum it writes the script instead. Usage: show_digest --write-spectrum FILE FRAMES
//        show_digest SEED SPECTRUM_FILE FPS FRAMES
// The spectrum file holds kSpectrumSize floats a frame (glaxen-render's --spectrum format);
// past its end the reads fail and leave the spectrum as it was, as after the music's end.
#include "audio/spectrum_sources.h"
#include "platform/virtual/virtual_platform.h"
#include "show/frame_passes.h"
#include "show/gentle_filter.h"
#include "show/show_main.h"
#include "show/virtual_clock.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

// The run, and what it reads and keeps: the spectra, gentle mode's filter over the frames.
VirtualPlatform run;
SpectrumSource spectra;
GentleFilter gentle;

// Writes frames spectra of the script.
int writeSpectra(const char *path, uint64_t frames) {
    FILE *out = std::fopen(path, "wb");
    if (out == nullptr) return 2;
    float spectrum[kSpectrumSize];
    for (uint64_t k = 0; k < frames; ++k) {
        scriptedSpectrum(k, spectrum);
        std::fwrite(spectrum, sizeof spectrum, 1, out);
    }
    return std::fclose(out) == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--write-spectrum")
        return writeSpectra(argv[2], std::strtoull(argv[3], nullptr, 10));
    const auto number = [&](int i) { return argc == 5 ? std::strtoull(argv[i], nullptr, 10) : 0; };
    run.seed = static_cast<uint32_t>(number(1));
    run.clock.fpsNum = static_cast<uint32_t>(number(3));
    run.lastFrame = number(4) - 1;
    std::string error;
    if (number(4) == 0 || run.clock.fpsNum == 0 || !openSpectrumFile(spectra, argv[2], error)) {
        std::fprintf(stderr,
                     "usage: show_digest SEED SPECTRUM_FILE FPS FRAMES\n"
                     "       show_digest --write-spectrum FILE FRAMES\n%s\n",
                     error.c_str());
        return 2;
    }
    run.spectrum = [](void *, uint64_t frame, uint32_t ms, float *out) {
        return readSpectrum(spectra, frame, ms, out);
    };
    run.present = [](void *, uint64_t frame, const Pixel *pixels) {
        const int32_t ms = int32_t(frameMilliseconds(frame, run.clock.fpsNum, 1));
        std::printf("%" PRIu64 " %016" PRIx64 " %016" PRIx64 "\n", frame, digest(pixels),
                    digest(gentleFrame(gentle, pixels, ms)));
    };
    const int code = showMain(virtualShowPlatform(run));
    closeSpectrumSource(spectra);
    return code;
}
