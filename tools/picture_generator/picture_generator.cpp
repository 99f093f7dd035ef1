// Picture generator: writes the show's four embedded greyscale pictures as PCX (and PNG previews).
#include "doodle.h"
#include "font_strip.h"
#include "grey_image.h"
#include "ink_swirl.h"
#include "pcx_writer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr std::uint64_t kDoodleSeed = 20241224;
constexpr std::uint64_t kSwirlSeed = 1225;
constexpr double kDoodleWhite = 0.70;
constexpr int kFontPreviewScale = 3;
constexpr const char *kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// One finished picture and how to preview it.
struct Output {
    std::string name;
    GreyImage image;
    int previewScale = 1;  // 0: a half-size preview
};

// Prints how to call the program.
void usage() {
    std::fprintf(stderr,
                 "usage: picture_generator OUTDIR [FONTFILE] [--png PREVIEWDIR]\n"
                 "  writes picture0.pcx, picture1.pcx, picture2.pcx and font.pcx to OUTDIR\n"
                 "  and, with --png, the same pictures as PNG to PREVIEWDIR\n");
}

}  // namespace

// Draws all pictures and writes them out.
int main(int argc, char **argv) {
    std::vector<std::string> positional;
    std::string pngDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--png" && i + 1 < argc) {
            pngDir = argv[++i];
        } else if (arg == "-h" || arg == "--help" || (!arg.empty() && arg[0] == '-')) {
            usage();
            return arg == "-h" || arg == "--help" ? 0 : 2;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        usage();
        return 2;
    }
    const std::string outDir = positional[0];
    const std::string fontPath = positional.size() > 1 ? positional[1] : kDefaultFont;

    FontStrip strip;
    std::string error;
    if (!renderFontStrip(fontPath, strip, error)) {
        std::fprintf(stderr, "picture_generator: %s\n", error.c_str());
        return 1;
    }

    std::vector<Output> outputs;
    outputs.push_back(
        {"picture0", drawDoodle(kPictureWidth, kPictureHeight, kDoodleSeed, kDoodleWhite), 0});
    outputs.push_back({"picture1", inverted(outputs[0].image), 0});
    outputs.push_back({"picture2", drawInkSwirl(kPictureWidth, kPictureHeight, kSwirlSeed), 0});
    outputs.push_back({"font", strip.image, kFontPreviewScale});

    for (const Output &out : outputs) {
        const std::string path = outDir + "/" + out.name + ".pcx";
        if (!writePcx(out.image, path)) {
            std::fprintf(stderr, "picture_generator: cannot write %s\n", path.c_str());
            return 1;
        }
        if (!pngDir.empty()) {
            const std::string png = pngDir + "/" + out.name + ".png";
            const bool written = out.previewScale == 0
                                     ? writePngPreview(halved(out.image), 1, png)
                                     : writePngPreview(out.image, out.previewScale, png);
            if (!written) {
                std::fprintf(stderr, "picture_generator: cannot write %s\n", png.c_str());
                return 1;
            }
        }
    }
    std::printf("picture0: %.1f %% white; font: %d px, %zu glyphs, last column %d\n",
                100.0 * fractionOfValue(outputs[0].image, 255), strip.pixelSize, strip.boxes.size(),
                strip.boxes.empty() ? -1 : strip.boxes.back().end);
    return 0;
}
