// The show's buffers and frame pipeline (see show_frame.h).
#include "show/show_frame.h"

#include "common/random.h"
#include "pictures/embedded_files.h"
#include "pictures/pcx_decoder.h"

#include <cstring>

namespace {
ShowBuffers buffers;  // zero at process start
}

// The process-wide buffers.
ShowBuffers &showBuffers() {
    return buffers;
}

// Zero, as at process start.
void resetShowBuffers() {
    std::memset(&buffers, 0, sizeof buffers);
}

// Decoded through a fresh stream; the glyph table is built from it.
void loadShowFont(Pixel *fontPicture, BitmapFont &font, int screenWidth, int screenHeight) {
    const EmbeddedFile &file = kEmbeddedFiles[kFontPicture];
    decodePcx(openMemoryStream(file.data, file.size).get(), kFontWidth, kFontHeight, fontPicture);
    font.setSizes(screenWidth, screenHeight, kFontWidth, kFontHeight);
    font.init(fontPicture);
}

// Each decoding reads through its own fresh stream.
void preparePictures(ShowBuffers &b, BitmapFont &font) {
    const int choice = nextRandom() % 3;
    const EmbeddedFile &picture = kEmbeddedFiles[kPicture0 + choice];
    decodePcx(openMemoryStream(picture.data, picture.size).get(), kScreenWidth, kScreenHeight,
              b.picture);
    loadShowFont(b.font, font, kScreenWidth, kScreenHeight);
}

// Passes in the show's order; the feedback runs before the letterbox.
void renderShowFrame(ShowBuffers &b, const BitmapFont &font, LineSwarm &swarm, int32_t tEffect,
                     int32_t tShow) {
    smoothBands(b.bands, b.spectrum);
    swarm.update(b.frame, b.picture, b.spectrum);
    scaleFeedback(b.frame, b.picture, tEffect, feedbackAllRows(b.spectrum, b.bands));
    clearLetterbox(letterboxOnPicture(b.bands) ? b.picture : b.frame);
    if (tShow > kTextStart) {
        for (const TextGlyph &glyph : kShowText)
            font.putGlyph(textColumn(b.bands[16], glyph.offset), kTextRow, glyph.character, b.font,
                          b.frame);
    }
}
