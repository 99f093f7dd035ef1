// The run-length decoder for the show's 8-bit PCX pictures. Needs: pictures/memory_stream.h.
#pragma once

#include "common/pixel.h"
#include "pictures/memory_stream.h"

// Decodes width x height values after the 128-byte header into out, each byte zero-extended.
// The header is not examined. Never writes past width x height values; when the data ends
// early, or there is no stream, the rest of out is 0.
void decodePcx(MemoryStream *stream, int width, int height, Pixel *out);
