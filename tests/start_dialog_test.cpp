// The start dialog: its procedure, the keys and clicks it answers, how it looks, and what it
// hands the show.
#include "show/start_dialog.h"

#include "fake_platform.h"
#include "show/show_frame.h"
#include "show/show_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// The shipped button above two check boxes, as a template may add them.
constexpr DialogControl kWithBoxes[] = {
    {DialogControlKind::kPushButton, kIdOk, "merry xmas", 0, 0, 140, 15},
    {DialogControlKind::kCheckBox, kIdSound, "sound", 0, 16, 70, 12},
    {DialogControlKind::kCheckBox, kIdFullscreen, "full screen", 70, 16, 70, 12},
};
constexpr DialogTemplate kWithBoxesTemplate = {140, 28, kWithBoxes, 3};

// Centre of a control, in pixels.
std::pair<int, int> centre(const DialogControl &c) {
    return {(c.x + c.width / 2) * kDialogUnitPixels, (c.y + c.height / 2) * kDialogUnitPixels};
}

// The show's font set up for a dialog of this template.
struct DialogFont {
    std::vector<Pixel> picture = std::vector<Pixel>(600 * 19);
    BitmapFont font;
    explicit DialogFont(const DialogTemplate &t) {
        loadShowFont(picture.data(), font, dialogPixelWidth(t), dialogPixelHeight(t));
    }
};

}  // namespace

TEST(StartDialog, HowTheShippedDialogEnds) {
    const DialogControl &button = kStartDialogTemplate.controls[0];
    const struct {
        const char *name;
        std::function<void(StartDialog &)> input;
        int want;
    } cases[] = {
        {"Enter", [](StartDialog &d) { dialogKey(d, DialogKey::kEnter); }, 1},
        {"Space", [](StartDialog &d) { dialogKey(d, DialogKey::kSpace); }, 1},
        {"click on the button",
         [&](StartDialog &d) { dialogClick(d, centre(button).first, centre(button).second); }, 1},
        {"click on its last pixel", [](StartDialog &d) { dialogClick(d, 279, 29); }, 1},
        {"Escape", [](StartDialog &d) { dialogKey(d, DialogKey::kEscape); }, 0},
        {"closing the window", [](StartDialog &d) { dialogClose(d); }, 0},
    };
    for (const auto &c : cases) {
        ShowSettings settings;
        StartDialog dialog = startDialogCreate(&kStartDialogTemplate, &settings);
        EXPECT_FALSE(dialog.ended);
        c.input(dialog);
        EXPECT_TRUE(dialog.ended) << c.name;
        EXPECT_EQ(dialog.result, c.want) << c.name;
        EXPECT_TRUE(settings.fullscreen && settings.sound) << c.name << " changed the settings";
    }
}

// A click below the button (the dialog's last rows) or a Tab does not end the dialog.
TEST(StartDialog, OtherInputKeepsItOpen) {
    ShowSettings settings;
    StartDialog dialog = startDialogCreate(&kStartDialogTemplate, &settings);
    dialogClick(dialog, 100, 31);
    dialogKey(dialog, DialogKey::kTab);
    startDialogProcedure(startDialogHost(dialog), settings, DialogMessage::kCommand, 1234);
    EXPECT_FALSE(dialog.ended);
    EXPECT_EQ(isDlgButtonChecked(dialog, kIdSound), 0) << "the shipped dialog has no check box";
}

// The procedure over any host: the calls it makes for each message, and the settings after.
TEST(StartDialog, ProcedureCallsItsHost) {
    struct Recording {
        std::vector<std::string> calls;
        int boxState = 0;  // what isDlgButtonChecked answers
    };
    const DialogHost host = {
        nullptr,
        [](void *u, int id, int state) {
            static_cast<Recording *>(u)->calls.push_back("check " + std::to_string(id) + " " +
                                                         std::to_string(state));
        },
        [](void *u, int id) {
            static_cast<Recording *>(u)->calls.push_back("checked? " + std::to_string(id));
            return static_cast<Recording *>(u)->boxState;
        },
        [](void *u, int result) {
            static_cast<Recording *>(u)->calls.push_back("end " + std::to_string(result));
        }};
    const struct {
        const char *name;
        DialogMessage message;
        int id;
        ShowSettings before;
        int boxState;
        bool wantResult;
        std::vector<std::string> wantCalls;
        ShowSettings wantAfter;
    } cases[] = {
        {"init",
         DialogMessage::kInitDialog,
         0,
         {true, false},
         0,
         true,
         {"check 1001 1", "check 1000 0"},
         {true, false}},
        {"OK", DialogMessage::kCommand, 1, {}, 0, false, {"end 1"}, {}},
        {"OK with a notification code",
         DialogMessage::kCommand,
         0x10001,
         {},
         0,
         false,
         {"end 1"},
         {}},
        {"Cancel", DialogMessage::kCommand, 2, {}, 0, false, {"end 0"}, {}},
        {"sound box unticked",
         DialogMessage::kCommand,
         1000,
         {},
         0,
         false,
         {"checked? 1000"},
         {true, false}},
        {"full-screen box unticked",
         DialogMessage::kCommand,
         1001,
         {},
         0,
         false,
         {"checked? 1001"},
         {false, true}},
        {"sound box ticked",
         DialogMessage::kCommand,
         1000,
         {true, false},
         1,
         false,
         {"checked? 1000"},
         {true, true}},
        {"another id", DialogMessage::kCommand, 1002, {}, 1, false, {}, {}},
    };
    for (const auto &c : cases) {
        Recording r;
        r.boxState = c.boxState;
        DialogHost h = host;
        h.user = &r;
        ShowSettings settings = c.before;
        EXPECT_EQ(startDialogProcedure(h, settings, c.message, c.id), c.wantResult) << c.name;
        EXPECT_EQ(r.calls, c.wantCalls) << c.name;
        EXPECT_EQ(settings.fullscreen, c.wantAfter.fullscreen) << c.name;
        EXPECT_EQ(settings.sound, c.wantAfter.sound) << c.name;
    }
}

// Check boxes open ticked from the settings; unticking writes the settings back.
TEST(StartDialog, CheckBoxesFollowTheSettings) {
    ShowSettings settings;
    StartDialog dialog = startDialogCreate(&kWithBoxesTemplate, &settings);
    EXPECT_EQ(isDlgButtonChecked(dialog, kIdSound), 1);
    EXPECT_EQ(isDlgButtonChecked(dialog, kIdFullscreen), 1);
    dialogClick(dialog, centre(kWithBoxes[1]).first, centre(kWithBoxes[1]).second);
    EXPECT_FALSE(settings.sound);
    EXPECT_TRUE(settings.fullscreen);
    dialogKey(dialog, DialogKey::kTab);  // focus from the sound box to the full-screen box
    dialogKey(dialog, DialogKey::kSpace);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_FALSE(dialog.ended);
    dialogKey(dialog, DialogKey::kEnter);
    EXPECT_EQ(dialog.result, 1);

    ShowSettings off = {false, false};
    const StartDialog unticked = startDialogCreate(&kWithBoxesTemplate, &off);
    EXPECT_EQ(isDlgButtonChecked(unticked, kIdSound), 0);
    EXPECT_EQ(isDlgButtonChecked(unticked, kIdFullscreen), 0);
}

// The shipped dialog: 280 x 32 pixels, a raised button, the label centred in it.
TEST(StartDialog, PaintsARaisedButtonWithACentredLabel) {
    ASSERT_EQ(dialogPixelWidth(kStartDialogTemplate), 280);
    ASSERT_EQ(dialogPixelHeight(kStartDialogTemplate), 32);
    const DialogFont f(kStartDialogTemplate);
    ShowSettings settings;
    const StartDialog dialog = startDialogCreate(&kStartDialogTemplate, &settings);
    std::vector<Pixel> pixels(280 * 32, 0x12345678);
    paintDialog(dialog, f.font, f.picture.data(), pixels.data());

    EXPECT_EQ(pixels[0], 0x00FFFFFFu) << "lit top-left edge";
    EXPECT_EQ(pixels[29 * 280 + 279], 0x00404040u) << "shaded bottom-right edge";
    EXPECT_EQ(pixels[31 * 280 + 100], 0x00D4D0C8u) << "dialog face below the button";
    int left = 280, right = -1, top = 32, bottom = -1, ink = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 280; ++x) {
            ASSERT_NE(pixels[y * 280 + x], 0x12345678u) << "unpainted pixel " << x << ", " << y;
            if (pixels[y * 280 + x] != 0x00B00000) continue;
            ++ink;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_GT(ink, 100) << "the label is drawn";
    EXPECT_NEAR((left + right) / 2.0, 139.5, 6) << "label centred across";
    EXPECT_NEAR((top + bottom) / 2.0, 14.5, 4) << "label centred down the button";
}

TEST(StartDialog, PaintsTheTickOnlyWhenChecked) {
    const DialogFont f(kWithBoxesTemplate);
    ShowSettings settings;
    StartDialog dialog = startDialogCreate(&kWithBoxesTemplate, &settings);
    const int w = dialogPixelWidth(kWithBoxesTemplate), h = dialogPixelHeight(kWithBoxesTemplate);
    auto darkInSoundBox = [&] {
        std::vector<Pixel> pixels(w * h);
        paintDialog(dialog, f.font, f.picture.data(), pixels.data());
        int dark = 0;
        for (int y = 32; y < h; ++y)
            for (int x = 2; x < 15; ++x) dark += pixels[y * w + x] == 0x00404040;
        return dark;
    };
    EXPECT_GT(darkInSoundBox(), 10);
    checkDlgButton(dialog, kIdSound, 0);
    EXPECT_EQ(darkInSoundBox(), 0);
}

// The show over a dialog with two check boxes, both unticked: windowed and silent.
TEST(StartDialog, UntickedBoxesStartTheShowWindowedAndSilent) {
    FakePlatform fake;
    fake.clock = {0, 0, 140000};
    ShowPlatform platform = fake.platform();
    platform.system.startDialog = [](void *, ShowSettings *settings) {
        StartDialog dialog = startDialogCreate(&kWithBoxesTemplate, settings);
        dialogClick(dialog, centre(kWithBoxes[1]).first, centre(kWithBoxes[1]).second);
        dialogClick(dialog, centre(kWithBoxes[2]).first, centre(kWithBoxes[2]).second);
        dialogKey(dialog, DialogKey::kEnter);
        return dialog.result;
    };
    EXPECT_EQ(showMain(platform), 0);
    ASSERT_GE(fake.calls.size(), 5u);
    EXPECT_EQ(fake.calls[3], "setVolume(0)");
    EXPECT_EQ(fake.calls[4], "open(\"\",640,480,0)");
}

// Escape at the dialog: exit code 1, and no display was ever opened.
TEST(StartDialog, EscapeEndsTheProgramWithNothingOpened) {
    FakePlatform fake;
    ShowPlatform platform = fake.platform();
    platform.system.startDialog = [](void *, ShowSettings *settings) {
        StartDialog dialog = startDialogCreate(&kStartDialogTemplate, settings);
        dialogKey(dialog, DialogKey::kEscape);
        return dialog.result;
    };
    EXPECT_EQ(showMain(platform), 1);
    EXPECT_EQ(fake.count("open"), 0);
    EXPECT_EQ(fake.count("close"), 0);
}
