// glaxen-render's flash report: the flash analysis's seconds as text, a line each and a summary
// line, and as a picture of the flashes a second over the show; and the files they go to.
// Needs: render/flash_analysis.h, render/output_file.h, render/png_encoder.h, show/show_frame.h.
#pragma once

#include "common/pixel.h"
#include "render/flash_analysis.h"
#include "render/output_file.h"
#include "render/render_options.h"

#include <string>
#include <vector>

// The analysis of one run and the files it is written to.
struct FlashOutputs {
    bool asked = false;  // the options ask for a report or a plot
    FlashAnalysis analysis;
    OutputFile report, plot;
};

// The report's text: heading, a line per second, then the summary.
std::string flashReportText(const std::vector<FlashSecond> &seconds, const std::string &heading);
// The summary: how many seconds fail, of either kind, and the most flashes of each.
std::string flashSummary(const std::vector<FlashSecond> &seconds);
// The general and red flashes of each second as bars against the limit, 640 x 480.
void drawFlashPlot(const std::vector<FlashSecond> &seconds, Pixel *picture);

// The report's heading: what was analysed.
std::string flashHeading(const RenderOptions &options, uint32_t seed);
// Opens the outputs the options ask for and starts an analysis that reports the seconds from
// firstMs's on; false with error set (or empty when a signal ended the wait for a FIFO).
bool openFlashOutputs(FlashOutputs &outputs, const RenderOptions &options, uint32_t firstMs,
                      const std::vector<InputFile> &inputs, std::string &error);
// The analysis finished and written to its outputs; false with error set, or empty on a signal.
bool writeFlashOutputs(FlashOutputs &outputs, const std::string &heading, std::string &error);
