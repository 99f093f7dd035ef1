// The XPM reader: the program's own icon, and files it must refuse.
#include "pictures/xpm_icon.h"

#include "pictures/embedded_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

// The icon ships 32 x 32 in at most 16 colours, with a transparent ground.
TEST(XpmIcon, TheProgramsIcon) {
    const EmbeddedFile &file = kEmbeddedFiles[kWindowIcon];
    XpmIcon icon;
    ASSERT_TRUE(decodeXpm(reinterpret_cast<const char *>(file.data), file.size, icon));
    EXPECT_TRUE(icon.width == 32 && icon.height == 32) << icon.width << " x " << icon.height;
    const uint32_t *begin = icon.pixels, *end = begin + 32 * 32;
    EXPECT_TRUE(std::all_of(begin, end, [](uint32_t p) { return p == 0 || p >> 24 == 0xFF; }))
        << "a pixel neither opaque nor clear";
    EXPECT_LE(std::set<uint32_t>(begin, end).size(), 16u + 1) << "16 colours and the clear";
    const auto transparent = std::count(begin, end, 0u);
    EXPECT_TRUE(transparent > 200 && 32 * 32 - transparent > 300) << transparent << " clear";
}

// Two characters a pixel, upper- and lower-case hex colours and None, row by row.
TEST(XpmIcon, SmallFilesReadExactly) {
    const std::string text = "/* XPM */ static const char *x[] = {\n"
                             "\"3 2 3 2\",\n\".. c None\",\n\"ab c #FF8000\",\n\"Zz c #0000ff\",\n"
                             "\"..abZz\",\n\"ZzZz..\"};\n";
    XpmIcon icon;
    ASSERT_TRUE(decodeXpm(text.data(), int32_t(text.size()), icon));
    const uint32_t want[6] = {0, 0xFFFF8000, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(icon.pixels[i], want[i]) << "pixel " << i;
}

// Each is refused, the icon left empty.
TEST(XpmIcon, MalformedFilesAreRefused) {
    const struct {
        const char *name;
        std::string text;
    } cases[] = {
        {"no strings", "nothing here"},
        {"bad header", "\"32 x 16 1\""},
        {"too big", "\"65 1 1 1\" \". c None\" \"" + std::string(65, '.') + "\""},
        {"three characters a pixel", "\"1 1 1 3\" \"... c None\" \"...\""},
        {"named colour", "\"1 1 1 1\" \". c red\" \".\""},
        {"short hex colour", "\"1 1 1 1\" \". c #F00\" \".\""},
        {"unknown pixel", "\"2 1 1 1\" \". c None\" \".x\""},
        {"short row", "\"2 2 1 1\" \". c None\" \"..\" \".\""},
        {"missing row", "\"2 2 1 1\" \". c None\" \"..\""},
        {"unterminated", "\"2 1 1 1\" \". c None\" \"..."},
    };
    for (const auto &c : cases) {
        XpmIcon icon;
        EXPECT_FALSE(decodeXpm(c.text.data(), int32_t(c.text.size()), icon)) << c.name;
        EXPECT_EQ(icon.width, 0) << c.name;
    }
    XpmIcon icon;
    EXPECT_FALSE(decodeXpm(nullptr, 10, icon));
}
