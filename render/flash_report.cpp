// glaxen-render's flash report (see flash_report.h).
#include "render/flash_report.h"

#include "render/png_encoder.h"
#include "show/show_frame.h"

#include <algorithm>
#include <cstdio>

namespace {

// ---------------------------------------------------------------- text

// A field's corner, or a dash when nothing flashed.
std::string cornerOf(const FieldFlashes &field) {
    return field.flashes == 0 ? "-" : std::to_string(field.x) + "," + std::to_string(field.y);
}

// The second with the most flashes of one kind, the first of them on a tie.
const FlashSecond *mostOf(const std::vector<FlashSecond> &seconds,
                          FieldFlashes FlashSecond::*kind) {
    const auto most = std::max_element(seconds.begin(), seconds.end(),
                                       [kind](const FlashSecond &a, const FlashSecond &b) {
                                           return (a.*kind).flashes < (b.*kind).flashes;
                                       });
    return most == seconds.end() ? nullptr : &*most;
}

// "general 15 (12 s)": the most flashes of one kind and where.
std::string mostText(const std::vector<FlashSecond> &seconds, FieldFlashes FlashSecond::*kind,
                     const char *name) {
    const FlashSecond *most = mostOf(seconds, kind);
    if (most == nullptr || (most->*kind).flashes == 0) return std::string(name) + " 0";
    return std::string(name) + " " + std::to_string((most->*kind).flashes) + " (" +
           std::to_string(most->second) + " s)";
}

// ---------------------------------------------------------------- the picture

constexpr Pixel kPaper = 0xFFFFFF, kInk = 0x000000, kGrid = 0xDDDDDD;
constexpr Pixel kGeneralBar = 0x555555, kRedBar = 0xDD0000, kLimitLine = 0x1060FF;
constexpr int kLeft = 56, kTop = 48, kBottom = 420;  // the plot's area, right to 56 + 4 x 141
constexpr int kSecondWidth = 4;                      // a second's two bars, 2 pixels each
constexpr int kDigitScale = 2;                       // each digit's 3 x 5 dots, 2 x 2 pixels each

// The digits as 3 x 5 dots, a row of three bits each, the left dot the high bit.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

// A rectangle, clipped to the picture.
void fill(Pixel *picture, int x, int y, int w, int h, Pixel colour) {
    for (int row = std::max(y, 0); row < std::min(y + h, kScreenHeight); ++row)
        for (int column = std::max(x, 0); column < std::min(x + w, kScreenWidth); ++column)
            picture[row * kScreenWidth + column] = colour;
}

// A number whose digits are centred on x (or end at x, right aligned), top at y.
void drawNumber(Pixel *picture, int x, int y, uint32_t value, bool rightAligned) {
    const std::string digits = std::to_string(value);
    const int advance = 4 * kDigitScale;
    const int width = int(digits.size()) * advance - kDigitScale;
    int left = rightAligned ? x - width : x - width / 2;
    for (char digit : digits) {
        for (int row = 0; row < 5; ++row)
            for (int dot = 0; dot < 3; ++dot)
                if (kDigits[digit - '0'][row] >> (2 - dot) & 1)
                    fill(picture, left + dot * kDigitScale, y + row * kDigitScale, kDigitScale,
                         kDigitScale, kInk);
        left += advance;
    }
}

// Words in the show's own font, in colour, from (x, y); returns where they end.
int drawWords(Pixel *picture, int x, int y, const char *words, Pixel colour) {
    std::vector<Pixel> fontPicture(kFontWidth * kFontHeight), glyphs(kScreenPixels);
    BitmapFont font;
    loadShowFont(fontPicture.data(), font, kScreenWidth, kScreenHeight);
    for (const char *c = words; *c != '\0'; ++c) {
        font.putGlyph(x, y, *c, fontPicture.data(), glyphs.data());
        const Glyph &glyph = font.glyphs[BitmapFont::glyphIndex(*c)];
        x += glyph.end - glyph.start + 1;
    }
    for (int i = 0; i < kScreenPixels; ++i)
        if (glyphs[i] == BitmapFont::kGlyphColour) picture[i] = colour;
    return x;
}

}  // namespace

// ---------------------------------------------------------------- the report

// One line per second, columns aligned.
std::string flashReportText(const std::vector<FlashSecond> &seconds, const std::string &heading) {
    std::string text = "# " + heading + "\n# second  general  field    red  field    verdict\n";
    char line[96];
    for (const FlashSecond &s : seconds) {
        std::snprintf(line, sizeof line, "%8u  %7u  %-7s  %3u  %-7s  %s\n", s.second,
                      s.general.flashes, cornerOf(s.general).c_str(), s.red.flashes,
                      cornerOf(s.red).c_str(), secondFails(s) ? "fail" : "pass");
        text += line;
    }
    return text + flashSummary(seconds) + "\n";
}

// Failing seconds of each kind, then the most flashes of each kind and when.
std::string flashSummary(const std::vector<FlashSecond> &seconds) {
    const auto count = [&seconds](auto fails) {
        return std::to_string(std::count_if(seconds.begin(), seconds.end(), fails));
    };
    const auto over = [](const FieldFlashes &field) { return field.flashes > kMostFlashes; };
    return "summary: " + std::to_string(seconds.size()) + " seconds, " + count(secondFails) +
           " fail (general " + count([&](const FlashSecond &s) { return over(s.general); }) +
           ", red " + count([&](const FlashSecond &s) { return over(s.red); }) +
           "); most flashes in a second: " + mostText(seconds, &FlashSecond::general, "general") +
           ", " + mostText(seconds, &FlashSecond::red, "red");
}

// Bars from the bottom of the plot, a grid line and a number every few flashes, the limit
// dashed across, the seconds below every ten. The scale reaches 15 at least, so that plots of
// the show and of gentle mode compare at a glance.
void drawFlashPlot(const std::vector<FlashSecond> &seconds, Pixel *picture) {
    std::fill(picture, picture + kScreenPixels, kPaper);
    uint32_t top = 15;
    for (const FlashSecond &s : seconds) top = std::max({top, s.general.flashes, s.red.flashes});
    const uint32_t step = top > 40 ? 10 : 5;
    top = (top + step - 1) / step * step;
    const int height = kBottom - kTop;
    const auto yOf = [&](uint32_t flashes) { return kBottom - int(flashes * height / top); };
    const int right = kLeft + kSecondWidth * int(kShowLength / 1000 + 1);
    for (uint32_t n = 0; n <= top; n += step) {
        fill(picture, kLeft, yOf(n), right - kLeft, 1, kGrid);
        drawNumber(picture, kLeft - 8, yOf(n) - 5, n, true);
    }
    for (const FlashSecond &s : seconds) {
        const int x = kLeft + kSecondWidth * int(s.second);
        fill(picture, x, yOf(s.general.flashes), 2, kBottom - yOf(s.general.flashes), kGeneralBar);
        fill(picture, x + 2, yOf(s.red.flashes), 2, kBottom - yOf(s.red.flashes), kRedBar);
    }
    for (int x = kLeft; x < right; x += 8) fill(picture, x, yOf(kMostFlashes), 5, 2, kLimitLine);
    fill(picture, kLeft - 2, kBottom, right - kLeft + 2, 1, kInk);
    fill(picture, kLeft - 2, kTop, 1, height, kInk);
    for (int second = 0; second <= kShowLength / 1000; second += 10) {
        const int x = kLeft + kSecondWidth * second + 2;
        fill(picture, x, kBottom, 1, 5, kInk);
        drawNumber(picture, x, kBottom + 9, uint32_t(second), false);
    }
    int x = drawWords(picture, kLeft - 40, 12, "flashes a second,", kInk) + 12;
    fill(picture, x, 22, 10, 10, kGeneralBar);
    x = drawWords(picture, x + 14, 12, "general,", kInk) + 12;
    fill(picture, x, 22, 10, 10, kRedBar);
    x = drawWords(picture, x + 14, 12, "red,", kInk) + 12;
    fill(picture, x, 26, 12, 2, kLimitLine);
    drawWords(picture, x + 16, 12, "the limit", kInk);
    drawWords(picture, (kLeft + right) / 2 - 30, 448, "seconds", kInk);
}

// ---------------------------------------------------------------- the files

// The command's choices that decide the frames.
std::string flashHeading(const RenderOptions &o, uint32_t seed) {
    char fps[32];
    std::snprintf(fps, sizeof fps, "%g", double(o.fpsNum) / o.fpsDen);
    const std::string source = o.silent                  ? "no music"
                               : !o.spectrumFile.empty() ? "the spectra " + o.spectrumFile
                                                         : "the music " + o.music;
    return "flashes of seed " + std::to_string(seed) + (o.gentle ? " in gentle mode" : "") +
           " at " + fps + " fps with " + source +
           ", shown full screen at 640 x 480 (WCAG 2.3.1; a second with more than 3 of either "
           "kind in some 213 x 160 field fails)";
}

// Each output asked for is opened before the first frame, so that a bad name stops the run at
// once.
bool openFlashOutputs(FlashOutputs &f, const RenderOptions &o, uint32_t firstMs,
                      const std::vector<InputFile> &inputs, std::string &error) {
    f.asked = !o.flashReport.empty() || !o.flashPlot.empty();
    if (!f.asked) return true;
    if (!o.flashReport.empty() && !openOutput(f.report, o.flashReport, inputs, error)) return false;
    if (!o.flashPlot.empty() && !openOutput(f.plot, o.flashPlot, inputs, error)) return false;
    startFlashAnalysis(f.analysis, firstMs);
    return true;
}

// The text, then the picture.
bool writeFlashOutputs(FlashOutputs &f, const std::string &heading, std::string &error) {
    finishFlashAnalysis(f.analysis);
    if (f.report.fd >= 0) {
        const std::string text = flashReportText(f.analysis.seconds, heading);
        if (!writeOutput(f.report, text.data(), text.size(), error)) return false;
    }
    if (f.plot.fd < 0) return true;
    std::vector<Pixel> picture(kScreenPixels);
    drawFlashPlot(f.analysis.seconds, picture.data());
    PngEncoder encoder;
    if (!createPngEncoder(encoder)) {
        error = "out of memory for the flash plot";
        return false;
    }
    const size_t size = encodePng(encoder, picture.data());
    const bool written = writeOutput(f.plot, encoder.file.data(), size, error);
    destroyPngEncoder(encoder);
    return written;
}
