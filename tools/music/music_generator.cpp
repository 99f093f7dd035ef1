// Music generator: renders the show's carol arrangement and writes it as Ogg Vorbis.
#include "arrangement.h"
#include "master_bus.h"
#include "track_layout.h"
#include "vorbis_writer.h"

#include <cmath>
#include <cstdio>
#include <string>

// Usage: music_generator OUT.ogg
int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.ogg\n", argv[0]);
        return 2;
    }
    const StereoBuffer track = renderTrack();
    const double peak = peakLevel(track);
    std::printf("rendered %.2f s, peak %.2f dBFS\n",
                static_cast<double>(frameCount(track)) / kSampleRate, 20.0 * std::log10(peak));
    VorbisSettings settings;
    settings.rate = kSampleRate;
    settings.title = "Jingle Bells (glaxen arrangement)";
    settings.artist = "James Lord Pierpont (1857), arranged for glaxen";
    std::string error;
    if (!writeOggVorbis(argv[1], track, settings, error)) {
        std::fprintf(stderr, "music_generator: %s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %s\n", argv[1]);
    return 0;
}
