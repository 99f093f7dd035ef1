// glaxen-render's outputs: files written under a temporary name and renamed into place only
// when complete ("-" is standard output), and the three frame formats: raw frames, a
// YUV4MPEG2 4:4:4 stream, and PNG pictures. Needs: libpng.
#pragma once

#include "common/pixel.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One output file; nothing appears under path until commitOutput.
struct OutputFile {
    std::string path;       // the name asked for, or "-"
    std::string temporary;  // where it is written meanwhile
    FILE *file = nullptr;
};

// Opens path (or standard output for "-"); false with a message when it cannot be written.
bool openOutput(OutputFile &output, const std::string &path, std::string &error);
// Appends bytes; false with a message when the write fails.
bool writeOutput(OutputFile &output, const void *bytes, size_t size, std::string &error);
// Finishes writing: flushes and closes; false with a message when that fails.
bool closeOutput(OutputFile &output, std::string &error);
// Gives a closed file its name; false with a message when that fails.
bool publishOutput(OutputFile &output, std::string &error);
// Closes (if open) and removes an unfinished file.
void abandonOutput(OutputFile &output);

// The YUV4MPEG2 stream header for 640 x 480 at num/den frames per second, 4:4:4.
std::string y4mHeader(uint32_t fpsNum, uint32_t fpsDen);
// "FRAME\n" and the Y, U and V planes of a frame (BT.601, limited range), into out.
void frameToY4m(const Pixel *frame, std::vector<uint8_t> &out);

// Writes the frame as an 8-bit RGB PNG, through a temporary name.
bool writePngFrame(const std::string &path, const Pixel *frame, std::string &error);
