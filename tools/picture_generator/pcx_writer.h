// PCX writer: run-length encodes an 8-bit greyscale image as a ZSoft PCX file; needs grey_image.h.
#pragma once

#include "grey_image.h"

#include <cstdint>
#include <string>
#include <vector>

// Encodes the image as PCX bytes (header, per-line RLE data, grey palette trailer).
std::vector<std::uint8_t> encodePcx(const GreyImage &image);

// Encodes the image and writes it to path; returns false if the file cannot be written.
bool writePcx(const GreyImage &image, const std::string &path);
