// The picture files and the icon compiled into the program. The build generates the table
// from assets/ (tools/embed/embed_files); the program opens no picture file at run time.
#pragma once

#include <cstdint>

// One embedded file, stored whole.
struct EmbeddedFile {
    const char *name;     // file name under assets/
    const uint8_t *data;  // its bytes
    int32_t size;         // its length
};

// Positions in the table.
enum EmbeddedPicture {
    kPicture0,     // 640x480 line-art doodle, black on white
    kPicture1,     // the same, inverted
    kPicture2,     // 640x480 dark swirling ink drawing
    kFontPicture,  // 600x19 glyph strip with boundary markers in row 0
    kWindowIcon,   // the program's 32x32 icon, as XPM text
    kEmbeddedCount
};

extern const EmbeddedFile kEmbeddedFiles[kEmbeddedCount];
