// glaxen-render's command line: what to render, from which spectrum, into which outputs.
// Needs: show/show_main.h (the music's name).
#pragma once

#include "show/show_main.h"

#include <cstdint>
#include <optional>
#include <string>

// Every option, with its default.
struct RenderOptions {
    std::optional<uint32_t> seed;  // --seed N; none: the calendar time, as the show does
    uint32_t fpsNum = 60;          // --fps F as a fraction: F = fpsNum / fpsDen
    uint32_t fpsDen = 1;
    std::optional<uint64_t> frames;  // --frames N: the first N frames
    uint32_t fromMs = 0;             // --from S, rounded up to whole milliseconds
    std::optional<uint32_t> toMs;    // --to S, rounded down, at most the show's end
    std::string music = kMusicFile;  // --music FILE
    bool silent = false;             // --silent: no music, all-zero spectrum
    std::string spectrumFile;        // --spectrum FILE: spectra, 1024 floats a frame
    std::string dumpSpectrum;        // --dump-spectrum FILE
    std::string pngDir;              // --png DIR
    std::string y4m;                 // --y4m FILE or -
    std::string raw;                 // --raw FILE or -
    bool gentle = false;             // --gentle: the show in gentle mode
    std::string flashReport;         // --flash-report FILE or -
    std::string flashPlot;           // --flash-plot FILE or -
};

enum class ParseResult { kRun, kHelp, kError };

// Reads argv into options; on kError, error says what is wrong. A run must write something.
ParseResult parseRenderOptions(int argc, const char *const *argv, RenderOptions &options,
                               std::string &error);

// The --help text: every option with its default.
const char *renderHelpText();

// Milliseconds of frame k on the virtual clock: floor(k * 1000 / fps).
uint32_t frameMilliseconds(const RenderOptions &options, uint64_t k);
