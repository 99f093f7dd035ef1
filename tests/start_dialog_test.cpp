// The start dialog: its procedure, the keys and clicks it answers, and how it looks.
#include "show/start_dialog.h"

#include "show/show_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A click on the centre of a control.
void clickOn(StartDialog &dialog, const DialogControl &c) {
    dialogClick(dialog, (c.x + c.width / 2) * kDialogUnitPixels,
                (c.y + c.height / 2) * kDialogUnitPixels);
}

// The dialog painted with the show's font, set up for its size.
std::vector<Pixel> painted(const StartDialog &dialog) {
    const DialogTemplate &t = *dialog.dialogTemplate;
    std::vector<Pixel> picture(600 * 19),
        pixels(dialogPixelWidth(t) * dialogPixelHeight(t), 0x12345678);
    BitmapFont font;
    loadShowFont(picture.data(), font, dialogPixelWidth(t), dialogPixelHeight(t));
    paintDialog(dialog, font, picture.data(), pixels.data());
    return pixels;
}

// The procedure's command id sent to the dialog, as a window system would; commands answer false.
void command(StartDialog &dialog, int id) {
    EXPECT_FALSE(startDialogProcedure(startDialogHost(dialog), *dialog.settings,
                                      DialogMessage::kCommand, id));
}

}  // namespace

// What ends the shipped dialog and with which result (-1: it stays open), its procedure reading a
// command's id by its low 16 bits; none of it touches the settings or finds a check box.
TEST(StartDialog, HowTheShippedDialogEnds) {
    const struct {
        const char *name;
        void (*input)(StartDialog &);
        int want;
    } cases[] = {
        {"Enter", [](StartDialog &d) { dialogKey(d, DialogKey::kEnter); }, 1},
        {"Space", [](StartDialog &d) { dialogKey(d, DialogKey::kSpace); }, 1},
        {"click on the button",
         [](StartDialog &d) { clickOn(d, kStartDialogTemplate.controls[0]); }, 1},
        {"click on its last pixel", [](StartDialog &d) { dialogClick(d, 279, 29); }, 1},
        {"Escape", [](StartDialog &d) { dialogKey(d, DialogKey::kEscape); }, 0},
        {"closing the window", [](StartDialog &d) { dialogClose(d); }, 0},
        {"click just below the button", [](StartDialog &d) { dialogClick(d, 100, 30); }, -1},
        {"Tab", [](StartDialog &d) { dialogKey(d, DialogKey::kTab); }, -1},
        {"OK by the low 16 bits of the id", [](StartDialog &d) { command(d, 0x10000 | kIdOk); }, 1},
        {"an id it does not know", [](StartDialog &d) { command(d, 1002); }, -1},
    };
    for (const auto &c : cases) {
        ShowSettings settings;
        StartDialog dialog = startDialogCreate(&kStartDialogTemplate, &settings);
        c.input(dialog);
        EXPECT_EQ(dialog.ended ? dialog.result : -1, c.want) << c.name;
        EXPECT_TRUE(settings.fullscreen && settings.sound) << c.name << " changed the settings";
        EXPECT_EQ(isDlgButtonChecked(dialog, kIdSound), 0) << c.name << ": a check box found";
    }
}

// Check boxes open as the settings are (init, sent again, answers true) and hold the dark tick
// only while ticked; a click or Space on the focused one toggles it and writes the settings back.
// Tab goes round the controls.
TEST(StartDialog, CheckBoxesFollowTheSettings) {
    ShowSettings settings = {.fullscreen = true, .sound = false};
    StartDialog dialog = startDialogCreate(&kWithBoxesTemplate, &settings);
    const int w = dialogPixelWidth(kWithBoxesTemplate), h = dialogPixelHeight(kWithBoxesTemplate);
    // Dark pixels in the sound box's square.
    auto darkInSoundBox = [&] {
        const std::vector<Pixel> pixels = painted(dialog);
        int dark = 0;
        for (int y = 32; y < h; ++y)
            for (int x = 2; x < 15; ++x) dark += pixels[y * w + x] == 0x00404040;
        return dark;
    };
    EXPECT_TRUE(
        startDialogProcedure(startDialogHost(dialog), settings, DialogMessage::kInitDialog, 0));
    EXPECT_EQ(isDlgButtonChecked(dialog, kIdSound), 0);
    EXPECT_EQ(isDlgButtonChecked(dialog, kIdFullscreen), 1);
    EXPECT_EQ(darkInSoundBox(), 0);
    clickOn(dialog, kWithBoxes[1]);
    EXPECT_TRUE(settings.sound && settings.fullscreen);
    EXPECT_GT(darkInSoundBox(), 10);
    dialogKey(dialog, DialogKey::kTab);  // focus from the sound box to the full-screen box
    dialogKey(dialog, DialogKey::kSpace);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_FALSE(dialog.ended);
    dialogKey(dialog, DialogKey::kTab);  // round to the button
    dialogKey(dialog, DialogKey::kSpace);
    EXPECT_EQ(dialog.ended ? dialog.result : -1, 1);
}

// The shipped dialog: 280 x 32 pixels, all painted, a raised button, the label centred in it.
TEST(StartDialog, PaintsARaisedButtonWithACentredLabel) {
    ASSERT_EQ(dialogPixelWidth(kStartDialogTemplate), 280);
    ASSERT_EQ(dialogPixelHeight(kStartDialogTemplate), 32);
    ShowSettings settings;
    const std::vector<Pixel> pixels = painted(startDialogCreate(&kStartDialogTemplate, &settings));
    EXPECT_EQ(pixels[0], 0x00FFFFFFu) << "lit top-left edge";
    EXPECT_EQ(pixels[29 * 280 + 279], 0x00404040u) << "shaded bottom-right edge";
    EXPECT_EQ(pixels[31 * 280 + 100], 0x00D4D0C8u) << "dialog face below the button";
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0x12345678u), 0) << "unpainted pixels";
    int left = 280, right = -1, top = 32, bottom = -1, ink = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 280; ++x)
            if (pixels[y * 280 + x] == 0x00B00000) {
                ++ink;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_GT(ink, 100) << "the label is drawn";
    EXPECT_NEAR((left + right) / 2.0, 139.5, 6) << "label centred across";
    EXPECT_NEAR((top + bottom) / 2.0, 14.5, 4) << "label centred down the button";
}
