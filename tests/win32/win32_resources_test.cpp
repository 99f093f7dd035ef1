// glaxen.exe's resources as Windows reads them: the start dialog (101, Portuguese (Portugal))
// as an extended template with its one push button, and icon group 102 with its one 32 x 32,
// 16-colour image. The program is loaded as data, not run. Needs: GLAXEN_EXE, its path.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A little-endian reader over a resource's bytes.
struct Reader {
    const uint8_t *at;
    uint16_t word() {
        uint16_t v;
        std::memcpy(&v, at, 2);
        at += 2;
        return v;
    }
    uint32_t dword() {
        uint32_t v;
        std::memcpy(&v, at, 4);
        at += 4;
        return v;
    }
    // A UTF-16 string of ASCII, to its terminating zero.
    std::string text() {
        std::string s;
        for (uint16_t c = word(); c != 0; c = word()) s += static_cast<char>(c);
        return s;
    }
    void alignToDword(const uint8_t *start) {
        while ((at - start) % 4) ++at;
    }
};

// The program, loaded as data; the resource's bytes in the language asked for.
struct Program {
    HMODULE module;
    Program() {
        std::string path = std::string("Z:") + GLAXEN_EXE;
        for (char &c : path)
            if (c == '/') c = '\\';
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~Program() {
        if (module) FreeLibrary(module);
    }
    const uint8_t *resource(LPCSTR type, int id, WORD language, DWORD *size) const {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
        if (found == nullptr) return nullptr;
        *size = SizeofResource(module, found);
        return static_cast<const uint8_t *>(LockResource(LoadResource(module, found)));
    }
};

const WORD kPortuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);

}  // namespace

TEST(Resources, StartDialogTemplate) {
    Program program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << GLAXEN_EXE;
    DWORD size = 0;
    const uint8_t *bytes = program.resource(RT_DIALOG, 101, kPortuguese, &size);
    ASSERT_NE(bytes, nullptr) << "no dialog 101 in Portuguese (Portugal)";
    Reader r{bytes};
    EXPECT_EQ(r.word(), 1) << "template version";
    EXPECT_EQ(r.word(), 0xFFFF) << "an extended template";
    EXPECT_EQ(r.dword(), 0u) << "help id";
    EXPECT_EQ(r.dword(), 0u) << "extended style";
    EXPECT_EQ(r.dword(), 0x80C008C5u) << "style";
    EXPECT_EQ(r.word(), 1) << "controls";
    for (const int want : {0, 0, 140, 16}) EXPECT_EQ(r.word(), want) << "position and size";
    EXPECT_EQ(r.word(), 0) << "menu";
    EXPECT_EQ(r.word(), 0) << "class";
    EXPECT_EQ(r.text(), "") << "caption";
    EXPECT_EQ(r.word(), 7) << "font size";
    EXPECT_EQ(r.word(), 0) << "font weight";
    EXPECT_EQ(*r.at++, 0) << "italic";
    EXPECT_EQ(*r.at++, 1) << "character set";
    EXPECT_EQ(r.text(), "Small Fonts");
    r.alignToDword(bytes);
    EXPECT_EQ(r.dword(), 0u) << "control help id";
    EXPECT_EQ(r.dword(), 0u) << "control extended style";
    EXPECT_EQ(r.dword(), DWORD(WS_CHILD | WS_VISIBLE)) << "a push button, child and visible";
    for (const int want : {0, 0, 140, 15}) EXPECT_EQ(r.word(), want) << "control position and size";
    EXPECT_EQ(r.dword(), 1u) << "control id";
    EXPECT_EQ(r.word(), 0xFFFF);
    EXPECT_EQ(r.word(), 0x0080) << "the button class";
    EXPECT_EQ(r.text(), "merry xmas");
}

TEST(Resources, IconGroup) {
    Program program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << GLAXEN_EXE;
    DWORD size = 0;
    const uint8_t *bytes = program.resource(RT_GROUP_ICON, 102, kPortuguese, &size);
    ASSERT_NE(bytes, nullptr) << "no icon group 102";
    Reader r{bytes};
    EXPECT_EQ(r.word(), 0);
    EXPECT_EQ(r.word(), 1) << "an icon";
    ASSERT_EQ(r.word(), 1) << "one image";
    EXPECT_EQ(*r.at++, 32) << "width";
    EXPECT_EQ(*r.at++, 32) << "height";
    EXPECT_EQ(*r.at++, 16) << "colours";
    ++r.at;
    EXPECT_EQ(r.word(), 1) << "planes";
    EXPECT_EQ(r.word(), 4) << "bits a pixel";
    const DWORD imageBytes = r.dword();
    const int id = r.word();
    const uint8_t *image = program.resource(RT_ICON, id, kPortuguese, &size);
    ASSERT_NE(image, nullptr) << "no icon image " << id;
    EXPECT_EQ(size, imageBytes);
    Reader header{image};
    EXPECT_EQ(header.dword(), 40u) << "bitmap header size";
}
