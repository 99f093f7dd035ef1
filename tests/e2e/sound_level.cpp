// sound_level: how loud a stretch of a recording is. Usage: sound_level FILE.raw FROM TO
// FILE is 16-bit little-endian stereo at 44100 Hz, as a sound server's monitor records it; FROM
// and TO are seconds into it. Prints "rms=R peak=P seconds=S" (R and P from 0 to 1); exit
// status 1 when the file holds none of the stretch.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: sound_level FILE.raw FROM TO\n");
        return 2;
    }
    constexpr double kFramesPerSecond = 44100;
    std::ifstream in(argv[1], std::ios::binary);
    const auto from = static_cast<std::streamoff>(std::atof(argv[2]) * kFramesPerSecond) * 4;
    const auto to = static_cast<std::streamoff>(std::atof(argv[3]) * kFramesPerSecond) * 4;
    in.seekg(from);
    std::vector<int16_t> samples(static_cast<size_t>(std::max<std::streamoff>(0, to - from)) / 2);
    in.read(reinterpret_cast<char *>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())) / 2);
    if (samples.empty()) {
        std::printf("the file holds nothing from %s s on\n", argv[2]);
        return 1;
    }
    double sum = 0, peak = 0;
    for (const int16_t s : samples) {
        const double v = s / 32768.0;
        sum += v * v;
        peak = std::max(peak, std::abs(v));
    }
    std::printf("rms=%.5f peak=%.5f seconds=%.2f\n", std::sqrt(sum / double(samples.size())), peak,
                double(samples.size()) / 2 / kFramesPerSecond);
    return 0;
}
