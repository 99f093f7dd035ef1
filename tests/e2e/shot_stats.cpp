// shot_stats: what a person would see in one rectangle of a screenshot. Reads a binary PPM
// (convert shot.png ppm:-) and prints, for the rectangle x y w h:
//   lit=F red=F mean=M
// lit: share of pixels brighter than near-black; red: share of pure-red pixels (the show's
// text colour); mean: mean brightness, 0 to 255.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Reads one header number of a PPM, skipping blanks and comments.
bool readNumber(FILE *in, int &value) {
    int c;
    while ((c = std::fgetc(in)) == '#' || std::isspace(c))
        if (c == '#') std::fscanf(in, "%*[^\n]");
    std::ungetc(c, in);
    return std::isdigit(c) && std::fscanf(in, "%d", &value) == 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: shot_stats FILE.ppm X Y W H\n");
        return 2;
    }
    FILE *in = std::fopen(argv[1], "rb");
    int width = 0, height = 0, maxValue = 0;
    if (!in || std::fgetc(in) != 'P' || std::fgetc(in) != '6' || !readNumber(in, width) ||
        !readNumber(in, height) || !readNumber(in, maxValue) || maxValue != 255) {
        std::fprintf(stderr, "shot_stats: %s is not an 8-bit binary PPM\n", argv[1]);
        return 2;
    }
    std::fgetc(in);  // the one blank before the pixels
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    const bool whole = std::fread(rgb.data(), 1, rgb.size(), in) == rgb.size();
    std::fclose(in);
    const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
    const int x1 = x0 + std::atoi(argv[4]), y1 = y0 + std::atoi(argv[5]);
    if (!whole || x0 < 0 || y0 < 0 || x1 > width || y1 > height || x1 <= x0 || y1 <= y0) {
        std::fprintf(stderr, "shot_stats: %s is cut short, or the rectangle is outside its %dx%d\n",
                     argv[1], width, height);
        return 2;
    }
    double lit = 0, red = 0, sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned char *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            lit += p[0] > 24 || p[1] > 24 || p[2] > 24;
            red += p[0] > 150 && p[1] < 80 && p[2] < 80;
            sum += (p[0] + p[1] + p[2]) / 3.0;
        }
    const double count = double(x1 - x0) * (y1 - y0);
    std::printf("lit=%.4f red=%.4f mean=%.1f\n", lit / count, red / count, sum / count);
    return 0;
}
