// The XPM reader: the program's own icon, and files it must refuse.
#include "pictures/xpm_icon.h"

#include "pictures/embedded_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// The icon ships 32 x 32 in at most 16 colours, with a transparent ground.
TEST(XpmIcon, TheProgramsIcon) {
    const EmbeddedFile &file = kEmbeddedFiles[kWindowIcon];
    XpmIcon icon;
    ASSERT_TRUE(decodeXpm(reinterpret_cast<const char *>(file.data), file.size, icon));
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.height, 32);
    std::set<uint32_t> colours;
    int transparent = 0;
    for (int i = 0; i < 32 * 32; ++i) {
        if (icon.pixels[i] == 0) {
            ++transparent;
        } else {
            EXPECT_EQ(icon.pixels[i] >> 24, 0xFFu)
                << "pixel " << i << " is neither opaque nor clear";
            colours.insert(icon.pixels[i]);
        }
    }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GT(transparent, 200);
    EXPECT_GT(32 * 32 - transparent, 300) << "the picture itself";
}

TEST(XpmIcon, SmallFilesReadExactly) {
    const std::string text = "/* XPM */ static const char *x[] = {\n"
                             "\"3 2 3 2\",\n\".. c None\",\n\"ab c #FF8000\",\n\"Zz c #0000ff\",\n"
                             "\"..abZz\",\n\"ZzZz..\"};\n";
    XpmIcon icon;
    ASSERT_TRUE(decodeXpm(text.data(), int32_t(text.size()), icon));
    const uint32_t want[6] = {0, 0xFFFF8000, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(icon.pixels[i], want[i]) << "pixel " << i;
}

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
