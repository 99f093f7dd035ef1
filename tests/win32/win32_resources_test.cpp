// glaxen.exe's resources as Windows reads them: the start dialog (101, Portuguese (Portugal)) as
// an extended template that says what the show's own dialog template says, icon group 102 with
// its one 32 x 32, 16-colour image, the manifest and the version. The program is loaded as data,
// not run. Needs: GLAXEN_EXE, its path; GLAXEN_VERSION, the project's version.
#include "show/start_dialog.h"
#include "tests/win32/fake_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD kPortuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
// The program, as Windows names it under Wine.
const std::string kProgram = windowsPath(GLAXEN_EXE);

// A little-endian reader over a resource's bytes.
struct Reader {
    const uint8_t *start, *at = start;
    template <typename T> T next() {
        T v;
        std::memcpy(&v, at, sizeof v);
        at += sizeof v;
        return v;
    }
    // The next n values of T.
    template <typename T> std::vector<int> many(int n) {
        std::vector<int> values(n);
        for (int &v : values) v = next<T>();
        return values;
    }
    // A UTF-16 string of ASCII, to its terminating zero.
    std::string text() {
        std::string s;
        for (auto c = next<uint16_t>(); c != 0; c = next<uint16_t>()) s += static_cast<char>(c);
        return s;
    }
    void alignToDword() { at = start + (at - start + 3) / 4 * 4; }
};

// The program's resource in Portuguese (Portugal), read from its start (null when there is none);
// the program is loaded as data once.
Reader resource(LPCSTR type, int id, DWORD *size = nullptr) {
    static const HMODULE program =
        LoadLibraryExA(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found = FindResourceExA(program, type, MAKEINTRESOURCEA(id), kPortuguese);
    if (program == nullptr || found == nullptr) return {nullptr};
    if (size) *size = SizeofResource(program, found);
    return {static_cast<const uint8_t *>(LockResource(LoadResource(program, found)))};
}

}  // namespace

// The dialog's size and its controls' ids, places, sizes and texts are kStartDialogTemplate's,
// which the show paints from; style, font, language and the button class only the .rc gives.
TEST(Resources, StartDialogTemplate) {
    Reader r = resource(RT_DIALOG, 101);
    ASSERT_NE(r.start, nullptr) << "no dialog 101 in Portuguese (Portugal) in " << kProgram;
    const DialogTemplate &t = kStartDialogTemplate;
    // Version 1 of an extended template; help id, extended style and style, a word pair each; the
    // controls; place and size; no menu, class or caption; font size 7, weight 0, not italic, the
    // default character set.
    ASSERT_EQ(r.many<uint16_t>(19),
              (std::vector<int>{1, 0xFFFF, 0, 0, 0, 0, 0x08C5, 0x80C0, t.controlCount, 0, 0,
                                t.width, t.height, 0, 0, 0, 7, 0, 0x0100}));
    EXPECT_EQ(r.text(), "Small Fonts");
    for (int i = 0; i < t.controlCount; ++i) {
        const DialogControl &c = t.controls[i];
        EXPECT_EQ(c.kind, DialogControlKind::kPushButton) << i << ": the .rc's are buttons";
        r.alignToDword();
        // No help id or extended style, the style WS_CHILD | WS_VISIBLE; place, size and id; the
        // button class; the text, and no creation data.
        EXPECT_EQ(r.many<uint16_t>(14), (std::vector<int>{0, 0, 0, 0, 0, 0x5000, c.x, c.y, c.width,
                                                          c.height, c.id, 0, 0xFFFF, 0x0080}))
            << "control " << i;
        EXPECT_EQ(r.text(), c.text) << "control " << i;
        EXPECT_EQ(r.next<uint16_t>(), 0) << "control " << i << " creation data";
    }
}

// One 32 x 32 image of 16 colours, 4 bits a pixel, of the size the group gives it.
TEST(Resources, IconGroup) {
    Reader r = resource(RT_GROUP_ICON, 102);
    ASSERT_NE(r.start, nullptr) << "no icon group 102 in " << kProgram;
    ASSERT_EQ(r.many<uint16_t>(3), (std::vector<int>{0, 1, 1})) << "an icon of one image";
    EXPECT_EQ(r.many<uint8_t>(4), (std::vector<int>{32, 32, 16, 0})) << "32 x 32, 16 colours";
    EXPECT_EQ(r.many<uint16_t>(2), (std::vector<int>{1, 4})) << "one plane, 4 bits a pixel";
    const DWORD imageBytes = r.next<uint32_t>();
    const int id = r.next<uint16_t>();
    DWORD size = 0;
    Reader image = resource(RT_ICON, id, &size);
    ASSERT_NE(image.start, nullptr) << "no icon image " << id;
    EXPECT_EQ(size, imageBytes);
    EXPECT_EQ(image.next<uint32_t>(), 40u) << "bitmap header size";
}

// The manifest as Windows takes it, in an activation context made from the program's resource 1:
// per-monitor DPI awareness (v2, then v1, and "true/pm" for the Windows before them), the user's
// own rights, and every Windows from 7 to 11.
TEST(Resources, Manifest) {
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = kProgram.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    const HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "Windows takes no manifest from " << kProgram;
    const auto setting = [context](const wchar_t *space, const wchar_t *name) {
        wchar_t value[64] = L"";
        QueryActCtxSettingsW(0, context, space, name, value, std::size(value), nullptr);
        return std::wstring(value);
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
              L"true/pm");
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof level, nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);
    // The record as Windows 10 1903 and Wine give it, each element with the newest version
    // tested after its type (the headers here have the older record without it).
    struct {
        DWORD count;
        struct {
            GUID id;
            ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
            ULONGLONG maxVersionTested;
        } elements[16];
    } compatibility = {};
    ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                             &compatibility, sizeof compatibility, nullptr));
    std::vector<std::string> systems;
    for (DWORD i = 0; i < compatibility.count && i < std::size(compatibility.elements); ++i) {
        const auto &e = compatibility.elements[i];
        char id[40];
        std::snprintf(id, sizeof id, "%08lx-%04x-%04x", e.id.Data1, e.id.Data2, e.id.Data3);
        if (e.type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) systems.push_back(id);
    }
    const std::vector<std::string> want = {"35138b9a-5d96-4fbd", "4a2f28e3-53b9-4441",
                                           "1f676c76-80e1-4239", "8e0f7a12-bfb3-4fe8"};
    EXPECT_EQ(systems, want) << "Windows 7, 8, 8.1, and 10 and 11";
    ReleaseActCtx(context);
}

// The version Explorer shows: the product, the project's version in text and in numbers, a
// description and the program's own file name.
TEST(Resources, Version) {
    std::vector<uint8_t> info(GetFileVersionInfoSizeA(kProgram.c_str(), nullptr));
    ASSERT_FALSE(info.empty()) << "no version resource in " << kProgram;
    ASSERT_TRUE(GetFileVersionInfoA(kProgram.c_str(), 0, DWORD(info.size()), info.data()));
    UINT length = 0;
    const auto text = [&](const char *name) {
        char *value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void **>(&value), &length);
        return std::string(value ? value : "(none)");
    };
    EXPECT_EQ(text("ProductName"), "glaxen");
    EXPECT_EQ(text("ProductVersion"), GLAXEN_VERSION);
    EXPECT_EQ(text("FileVersion"), GLAXEN_VERSION);
    EXPECT_NE(text("FileDescription").find("glaxen"), std::string::npos);
    EXPECT_EQ(text("OriginalFilename"), kProgram.substr(kProgram.rfind('\\') + 1));
    VS_FIXEDFILEINFO *fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%lu.%lu.%lu", fixed->dwProductVersionMS >> 16,
                  fixed->dwProductVersionMS & 0xFFFF, fixed->dwProductVersionLS >> 16);
    EXPECT_EQ(numbers, std::string(GLAXEN_VERSION)) << "the version's numbers";
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
}
