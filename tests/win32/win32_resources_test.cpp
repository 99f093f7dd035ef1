// glaxen.exe's resources as Windows reads them: the start dialog (101, Portuguese (Portugal)) as
// an extended template that says what the show's own dialog template says, and icon group 102
// with its one 32 x 32, 16-colour image. The program is loaded as data, not run. Needs:
// GLAXEN_EXE, its path.
#include "show/start_dialog.h"
#include "tests/win32/fake_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A little-endian reader over a resource's bytes.
struct Reader {
    const uint8_t *at;
    template <typename T> T next() {
        T v;
        std::memcpy(&v, at, sizeof v);
        at += sizeof v;
        return v;
    }
    uint16_t word() { return next<uint16_t>(); }
    uint32_t dword() { return next<uint32_t>(); }
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
        module = LoadLibraryExA(windowsPath(GLAXEN_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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

// The dialog's size and its controls' ids, places, sizes and texts are kStartDialogTemplate's,
// which the show paints from; style, font, language and the button class only the .rc gives.
TEST(Resources, StartDialogTemplate) {
    Program program;
    ASSERT_NE(program.module, nullptr) << "cannot load " << GLAXEN_EXE;
    DWORD size = 0;
    const uint8_t *bytes = program.resource(RT_DIALOG, 101, kPortuguese, &size);
    ASSERT_NE(bytes, nullptr) << "no dialog 101 in Portuguese (Portugal)";
    const DialogTemplate &t = kStartDialogTemplate;
    Reader r{bytes};
    EXPECT_EQ(r.word(), 1) << "template version";
    EXPECT_EQ(r.word(), 0xFFFF) << "an extended template";
    EXPECT_EQ(r.dword(), 0u) << "help id";
    EXPECT_EQ(r.dword(), 0u) << "extended style";
    EXPECT_EQ(r.dword(), 0x80C008C5u) << "style";
    ASSERT_EQ(r.word(), t.controlCount) << "controls";
    for (const int want : {0, 0, t.width, t.height}) EXPECT_EQ(r.word(), want) << "place and size";
    EXPECT_EQ(r.word(), 0) << "menu";
    EXPECT_EQ(r.word(), 0) << "class";
    EXPECT_EQ(r.text(), "") << "caption";
    EXPECT_EQ(r.word(), 7) << "font size";
    EXPECT_EQ(r.word(), 0) << "font weight";
    EXPECT_EQ(r.next<uint8_t>(), 0) << "italic";
    EXPECT_EQ(r.next<uint8_t>(), 1) << "character set";
    EXPECT_EQ(r.text(), "Small Fonts");
    for (int i = 0; i < t.controlCount; ++i) {
        const DialogControl &c = t.controls[i];
        r.alignToDword(bytes);
        EXPECT_EQ(r.dword(), 0u) << "control " << i << " help id";
        EXPECT_EQ(r.dword(), 0u) << "control " << i << " extended style";
        EXPECT_EQ(r.dword(), DWORD(WS_CHILD | WS_VISIBLE)) << "control " << i << " style";
        EXPECT_EQ(c.kind, DialogControlKind::kPushButton)
            << "control " << i << ": the .rc's are buttons";
        for (const int want : {c.x, c.y, c.width, c.height})
            EXPECT_EQ(r.word(), want) << "control " << i << " place and size";
        EXPECT_EQ(r.dword(), DWORD(c.id)) << "control " << i << " id";
        EXPECT_EQ(r.word(), 0xFFFF);
        EXPECT_EQ(r.word(), 0x0080) << "control " << i << ": the button class";
        EXPECT_EQ(r.text(), c.text) << "control " << i << " text";
        EXPECT_EQ(r.word(), 0) << "control " << i << " creation data";
    }
}

// One 32 x 32 image of 16 colours, 4 bits a pixel, of the size the group gives it.
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
    EXPECT_EQ(r.next<uint8_t>(), 32) << "width";
    EXPECT_EQ(r.next<uint8_t>(), 32) << "height";
    EXPECT_EQ(r.next<uint8_t>(), 16) << "colours";
    r.next<uint8_t>();
    EXPECT_EQ(r.word(), 1) << "planes";
    EXPECT_EQ(r.word(), 4) << "bits a pixel";
    const DWORD imageBytes = r.dword();
    const int id = r.word();
    const uint8_t *image = program.resource(RT_ICON, id, kPortuguese, &size);
    ASSERT_NE(image, nullptr) << "no icon image " << id;
    EXPECT_EQ(size, imageBytes);
    EXPECT_EQ(Reader{image}.dword(), 40u) << "bitmap header size";
}
