// The show's state and its frame pipeline, free of any platform: the buffers, the picture and
// font set-up, and one frame after the spectrum read. The live show and the renderer both
// compute their frames here. Needs: effect/, font/, pictures/.
#pragma once

#include "common/pixel.h"
#include "effect/line_swarm.h"
#include "font/bitmap_font.h"
#include "show/frame_passes.h"
#include "show/gentle_filter.h"
#include "show/show_platform.h"

#include <cstdint>

constexpr int kFontWidth = BitmapFont::kFontStride;  // font picture size, as the font walks it
constexpr int kFontHeight = BitmapFont::kGlyphRows;
constexpr int32_t kTextStart = 91000;    // t_show above this draws the text
constexpr int32_t kShowLength = 140000;  // t_show at which the show ends
constexpr int kTextRow = 20;             // y of the text

// Every buffer the show owns, for the whole process.
struct ShowBuffers {
    Pixel frame[kScreenPixels];            // what is presented
    Pixel picture[kScreenPixels];          // colour source and feedback target
    Pixel font[kFontWidth * kFontHeight];  // decoded font picture
    float spectrum[kSpectrumSize];         // latest spectrum read
    float bands[kSpectrumSize];            // smoothed slots 5, 10 and 16
    GentleFilter gentle;                   // what gentle mode shows instead of the frame
};

// The process-wide buffers (static storage). resetShowBuffers() zeroes them.
ShowBuffers &showBuffers();
void resetShowBuffers();

// Decodes the embedded font picture into fontPicture (600 x 19) and sets the font up for a
// target of screenWidth x screenHeight.
void loadShowFont(Pixel *fontPicture, BitmapFont &font, int screenWidth, int screenHeight);

// Picks picture rand() mod 3 and decodes it, decodes the font picture, builds the glyph table.
void preparePictures(ShowBuffers &buffers, BitmapFont &font);

// One frame after the spectrum read: bands, swarm, feedback, letterbox, text.
void renderShowFrame(ShowBuffers &buffers, const BitmapFont &font, LineSwarm &swarm,
                     int32_t tEffect, int32_t tShow);
