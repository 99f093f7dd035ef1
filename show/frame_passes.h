// The show's per-frame passes over its 640x480 buffers: band smoothing, the feedback pass that
// writes the scaled frame into the picture buffer, the letterbox pass and the text positions.
// Needs: common/pixel.h. No platform.
#pragma once

#include "common/pixel.h"

#include <cstdint>

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kScreenPixels = kScreenWidth * kScreenHeight;
constexpr int kLetterboxRows = 60;  // rows cleared at the top and at the bottom

// One character of the closing text and its column offset.
struct TextGlyph {
    char character;
    int offset;
};
extern const TextGlyph kShowText[8];

// band[k] = (band[k] + spectrum[k]) * 0.5 for the three bands the show reads: 5, 10 and 16.
void smoothBands(float *bands, const float *spectrum);

// Feedback factor: (tEffect mod 32) + 1, the remainder with the sign of tEffect.
int32_t feedbackFactor(int32_t tEffect);

// True when the feedback covers every row: silence at slot 20, or a strong high band.
bool feedbackAllRows(const float *spectrum, const float *bands);

// picture = frame * factor (32-bit, wrapping) on every row, or on the even rows only.
void scaleFeedback(const Pixel *frame, Pixel *picture, int32_t tEffect, bool allRows);

// True when band 5 asks for the letterbox on the picture buffer instead of the frame buffer.
bool letterboxOnPicture(const float *bands);

// Zeroes rows 0-59 and 420-479 of a 640x480 buffer.
void clearLetterbox(Pixel *target);

// Column of a text glyph: trunc(band16 * 260 + offset).
int32_t textColumn(float band16, int offset);
